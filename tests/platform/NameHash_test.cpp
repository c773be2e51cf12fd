// Tests that the seeded name hash folds exactly the ASCII letters, at every length its
// reads handle differently.
#include "platform/NameHash.h"

#include <gtest/gtest.h>

#include <string>

namespace qs {
namespace {

// Every byte value at every position of names up to 40 bytes long (short reads, one and
// two words, the sixteen-byte loop and its overlapping tail): a lower-case letter hashes
// as its capital, and any other byte differing in the case bit hashes differently.
TEST(NameHash, FoldsAsciiLettersOnlyAtEveryLengthAndPosition) {
    const HashKeys& keys = ProcessHashKeys();
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string name(length, 'Q');
            for (int byte = 0; byte < 256; ++byte) {
                name[at] = static_cast<char>(byte);
                std::string other = name;
                other[at] = static_cast<char>(byte ^ 0x20);
                const bool letters = (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
                EXPECT_EQ(FoldedHash(name, keys) == FoldedHash(other, keys), letters)
                    << "length " << length << " at " << at << " byte " << byte;
            }
        }
    }
    EXPECT_NE(FoldedHash("", keys), FoldedHash(std::string(1, '\0'), keys));
}

} // namespace
} // namespace qs
