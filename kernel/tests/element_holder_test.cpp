#include "kernel/element_holder.h"

#include <gtest/gtest.h>

#include <utility>

#include "kernel/elements.h"
#include "test_support.h"

namespace {

// Whether the element made with that serial still lives.
bool Alive(TElement* e, uint64_t serial) { return IsLive(e, serial); }

// What becomes of the held element: freed with the holder, kept after Release, freed once
// after a move, the old one freed by Reset.
TEST(ElementHolderTest, FreesUnlessReleased) {
    enum Way { kEnd, kRelease, kMoveConstruct, kMoveAssign, kReset };
    struct Case { const char* name; Way way; bool aliveAfter; };
    for (Case c : {Case{"scope end", kEnd, false}, Case{"released", kRelease, true},
                   Case{"moved into a new holder", kMoveConstruct, false},
                   Case{"moved over a holder", kMoveAssign, false}, Case{"reset", kReset, false}}) {
        TNameElement* e = TNameElement::New();
        uint64_t serial = e->Serial();
        TNameElement* other = TNameElement::New();
        uint64_t otherSerial = other->Serial();
        TNameElement* released = nullptr;
        {
            TElementHolder<TNameElement> outer(other);
            {
                TElementHolder<TNameElement> held(e);
                EXPECT_EQ(held.Get(), e);
                switch (c.way) {
                case kEnd: break;
                case kRelease:
                    released = held.Release();
                    EXPECT_FALSE(held) << c.name;
                    break;
                case kMoveConstruct: {
                    TElementHolder<TNameElement> moved(std::move(held));
                    EXPECT_FALSE(held) << c.name;
                    EXPECT_TRUE(Alive(e, serial)) << c.name;
                    break;
                }
                case kMoveAssign:
                    outer = std::move(held);
                    EXPECT_FALSE(Alive(other, otherSerial)) << c.name;  // the one it held before
                    EXPECT_TRUE(Alive(e, serial)) << c.name;
                    break;
                case kReset:
                    held.Reset(TNameElement::New());
                    EXPECT_FALSE(Alive(e, serial)) << c.name;
                    break;
                }
            }
            if (c.way == kMoveAssign) {
                EXPECT_TRUE(Alive(e, serial)) << c.name;  // outer holds it now
            }
        }
        EXPECT_EQ(Alive(e, serial), c.aliveAfter) << c.name;
        EXPECT_FALSE(Alive(other, otherSerial)) << c.name;
        if (released) {
            EXPECT_EQ(released, e);
            Free(released);
        }
    }
}

}  // namespace
