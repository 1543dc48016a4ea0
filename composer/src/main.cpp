// Oskelt32, the map composition program.
#include "composer/composer.h"

int main(int, char**) {
    RegisterComposerClasses();
    return 0;
}
