#!/bin/sh
# Started by the installer in the program folder.
echo "Mapova sada je nainstalovana." > nainstalovano.txt
