[TDesktop]
NAME=Listovka
MaxX=0.297
MaxY=0.21
END

[TView]
NAME=SMO5
MinX=0.02
MaxX=0.2
Scale=5000
ROADS=ostravsko.gpkg|roads
@CONDITION=KIND=1
END

[TText]
NAME=Title
Text=?:Nazev
FontStyle=1
END

END
