// The main of every test program: the tests run in a temporary folder of their own, removed
// at the end, so that nothing a test writes lands in the folder the program was started from.
#include <gtest/gtest.h>

#include "own_folder.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    OwnFolder folder("suite-test");
    if (!folder.Made()) return 1;
    folder.Enter();
    return RUN_ALL_TESTS();
}
