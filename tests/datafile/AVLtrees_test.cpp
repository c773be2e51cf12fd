// AVL trees: shape after rotations, duplicates, node and tree destruction, and a property
// test of random insert/remove sequences against std::map with invariants after each step.
#include "datafile/AVLtrees.h"

#include "datafile/RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <vector>

namespace qs {
namespace {

// Counts live nodes so that tests can see what a destruction freed.
int g_liveNodes = 0;

class CountedNode : public TIntKeyAVLtreeNode {
public:
    CountedNode(TIntKeyAVLtree* tree, std::int32_t key) : TIntKeyAVLtreeNode(tree, key) {
        ++g_liveNodes;
    }
    ~CountedNode() override { --g_liveNodes; }
    static TIntKeyAVLtreeNode* Create(TIntKeyAVLtree* tree, std::int32_t key) {
        return new CountedNode(tree, key);
    }
};

// Checks heights, balance fields, key order and tree membership; returns the height.
int CheckSubtree(const TAVLtreeNode* node, const TAVLtree* tree,
                 std::vector<const TAVLtreeNode*>& inorder) {
    if (node == nullptr) {
        return 0;
    }
    EXPECT_EQ(node->Tree(), tree);
    const int hl = CheckSubtree(node->LeftNode(), tree, inorder);
    inorder.push_back(node);
    const int hr = CheckSubtree(node->RightNode(), tree, inorder);
    EXPECT_LE(std::abs(hl - hr), 1) << "height difference";
    const TAVLSide expected = hl == hr ? avlBalanced : hl > hr ? avlLeft : avlRight;
    EXPECT_EQ(node->Balance(), expected) << "balance field disagrees with heights";
    return std::max(hl, hr) + 1;
}

std::vector<std::int32_t> CheckedKeys(const TIntKeyAVLtree& tree) {
    std::vector<const TAVLtreeNode*> inorder;
    CheckSubtree(tree.Root(), &tree, inorder);
    std::vector<std::int32_t> keys;
    for (const TAVLtreeNode* n : inorder) {
        keys.push_back(static_cast<const TIntKeyAVLtreeNode*>(n)->Key());
    }
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << "duplicate key";
    return keys;
}

struct ShapeCase {
    const char* name;
    std::vector<std::int32_t> order;
};

class AVLtreeShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(AVLtreeShape, ThreeKeysRotateToBalancedRootTwo) {
    TIntKeyAVLtree tree;
    for (std::int32_t key : GetParam().order) {
        ASSERT_NE(tree.Add(key), nullptr);
    }
    const auto* root = static_cast<const TIntKeyAVLtreeNode*>(tree.Root());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Key(), 2);
    ASSERT_NE(root->LeftNode(), nullptr);
    ASSERT_NE(root->RightNode(), nullptr);
    EXPECT_EQ(static_cast<const TIntKeyAVLtreeNode*>(root->LeftNode())->Key(), 1);
    EXPECT_EQ(static_cast<const TIntKeyAVLtreeNode*>(root->RightNode())->Key(), 3);
    for (const TAVLtreeNode* n :
         std::vector<const TAVLtreeNode*>{root, root->LeftNode(), root->RightNode()}) {
        EXPECT_EQ(n->Balance(), avlBalanced);
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, AVLtreeShape,
                         ::testing::Values(ShapeCase{"SingleLeft", {1, 2, 3}},
                                           ShapeCase{"SingleRight", {3, 2, 1}},
                                           ShapeCase{"DoubleRightLeft", {1, 3, 2}},
                                           ShapeCase{"DoubleLeftRight", {3, 1, 2}}),
                         test::RowName());

TEST(AVLtree, AddOfPresentKeyReturnsNullAndLeavesTreeUnchanged) {
    g_liveNodes = 0;
    {
        TIntKeyAVLtree tree(&CountedNode::Create);
        for (std::int32_t key : {5, 3, 8}) {
            tree.Add(key);
        }
        EXPECT_EQ(tree.Add(3), nullptr);
        EXPECT_EQ(g_liveNodes, 3) << "the rejected node must be destroyed";
        EXPECT_EQ(CheckedKeys(tree), (std::vector<std::int32_t>{3, 5, 8}));
    }
    EXPECT_EQ(g_liveNodes, 0);
}

TEST(AVLtree, DuplicateInNodeConstructorRaisesWithKeyAndTreeClass) {
    TVarIDAVLTree ids;
    ids.Add(7);
    try {
        TVarIDAVLNode node(&ids, 7);
        FAIL() << "no exception";
    } catch (const EAVLtreeException& e) {
        EXPECT_STREQ(e.what(), "Attempt to insert duplicate key 7 into TVarIDAVLTree");
    }
    TVarNameAVLTree names;
    names.Add("AGE");
    try {
        TVarNameAVLNode node(&names, "age");
        FAIL() << "no exception";
    } catch (const EAVLtreeException& e) {
        EXPECT_STREQ(e.what(), "Attempt to insert duplicate key 'age' into TVarNameAVLTree");
    }
    EXPECT_EQ(CheckedKeys(ids), std::vector<std::int32_t>{7});
}

TEST(AVLtree, StringKeysIgnoreCaseAndFindReturnsStoredSpelling) {
    TVarNameAVLTree names;
    TVarNameAVLNode* age = names.Add("AGE");
    ASSERT_NE(age, nullptr);
    age->FIndex = 4;
    names.Add("sex");
    names.Add("income");
    EXPECT_EQ(names.Add("age"), nullptr);
    TVarNameAVLNode* found = names.Find("Age");
    ASSERT_EQ(found, age);
    EXPECT_EQ(found->Key(), "AGE");
    EXPECT_EQ(found->FIndex, 4);
    EXPECT_EQ(names.Find("weight"), nullptr);
    EXPECT_EQ(TVarNameAVLTree().Find("age"), nullptr);
}

TEST(AVLtree, DestroyingANodeKeepsTheRestAsValidTreeWithItsChildren) {
    TIntKeyAVLtree tree;
    for (std::int32_t key = 1; key <= 15; ++key) {
        tree.Add(key);
    }
    // The root has both subtrees; destroying it must not take them along.
    delete tree.Root();
    std::vector<std::int32_t> expected;
    for (std::int32_t key = 1; key <= 15; ++key) {
        if (key != 8) {
            expected.push_back(key);
        }
    }
    EXPECT_EQ(CheckedKeys(tree), expected);
}

TEST(AVLtree, NodeOutsideTheTreeChangesNothingWhenDestroyedOrRemoved) {
    TIntKeyAVLtree a;
    TIntKeyAVLtree b;
    for (std::int32_t key : {1, 2, 3}) {
        a.Add(key);
    }
    TIntKeyAVLtreeNode* inB = b.Add(2);
    delete TIntKeyAVLtreeNode::Create(nullptr, 2);
    delete inB;
    EXPECT_EQ(CheckedKeys(a), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(b.Root(), nullptr);
}

TEST(AVLtree, InsertMovesNodeBetweenTreesAndDropsItOnDuplicate) {
    TIntKeyAVLtree a;
    TIntKeyAVLtree b;
    TIntKeyAVLtreeNode* four = a.Add(4);
    a.Add(5);
    bool inserted = false;
    EXPECT_EQ(b.Insert(four, inserted), four);
    EXPECT_TRUE(inserted);
    EXPECT_EQ(four->Tree(), &b);
    EXPECT_EQ(CheckedKeys(a), std::vector<std::int32_t>{5});

    TIntKeyAVLtreeNode* otherFour = a.Add(4);
    EXPECT_EQ(b.Insert(otherFour, inserted), nullptr);
    EXPECT_FALSE(inserted);
    EXPECT_EQ(otherFour->Tree(), nullptr) << "taken out of a, not linked into b";
    EXPECT_EQ(CheckedKeys(a), std::vector<std::int32_t>{5});
    delete otherFour;

    EXPECT_EQ(b.Insert(nullptr, inserted), nullptr);
    EXPECT_FALSE(inserted);
    TStringKeyAVLtreeNode text(nullptr, "x");
    EXPECT_EQ(b.Insert(&text, inserted), nullptr) << "string node in an integer tree";
    EXPECT_FALSE(inserted);
}

TEST(AVLtree, ExtremeIntegerKeysKeepTheirOrder) {
    TIntKeyAVLtree tree;
    for (std::int32_t key : {INT_MAX, INT_MIN, 0, -1, INT_MIN + 1, INT_MAX - 1}) {
        ASSERT_NE(tree.Add(key), nullptr);
    }
    EXPECT_EQ(CheckedKeys(tree),
              (std::vector<std::int32_t>{INT_MIN, INT_MIN + 1, -1, 0, INT_MAX - 1, INT_MAX}));
}

TEST(AVLtree, DestroyingALargeTreeFreesEveryNode) {
    g_liveNodes = 0;
    {
        TIntKeyAVLtree tree(&CountedNode::Create);
        for (std::int32_t key = 0; key < 200000; ++key) {
            tree.Add(key);
        }
        EXPECT_EQ(g_liveNodes, 200000);
    }
    EXPECT_EQ(g_liveNodes, 0);
}

// Random inserts, removals and moves against std::map; invariants after every step.
class AVLtreeProperty : public ::testing::TestWithParam<unsigned> {};

TEST_P(AVLtreeProperty, MatchesStdMapAfterEveryStep) {
    std::mt19937 rng(GetParam());
    const std::int32_t keyRange = 1 + static_cast<std::int32_t>(rng() % 300);
    TIntKeyAVLtree tree;
    TIntKeyAVLtree side;
    std::map<std::int32_t, TIntKeyAVLtreeNode*> model;
    for (int step = 0; step < 1500; ++step) {
        const std::int32_t key = static_cast<std::int32_t>(rng() % keyRange);
        const unsigned op = rng() % 10;
        const auto it = model.find(key);
        if (op < 5) {
            TIntKeyAVLtreeNode* node = tree.Add(key);
            EXPECT_EQ(node == nullptr, it != model.end()) << "add " << key;
            if (node != nullptr) {
                model[key] = node;
            }
        } else if (op < 9) {
            if (it != model.end()) {
                delete it->second;
                model.erase(it);
            }
        } else if (it != model.end()) {
            // Move to another tree and back: out and in again through the public Insert.
            bool inserted = false;
            side.Insert(it->second, inserted);
            ASSERT_TRUE(inserted);
            tree.Insert(it->second, inserted);
            ASSERT_TRUE(inserted);
        }
        std::vector<std::int32_t> expected;
        for (const auto& entry : model) {
            expected.push_back(entry.first);
        }
        ASSERT_EQ(CheckedKeys(tree), expected) << "seed " << GetParam() << " step " << step;
        ASSERT_EQ(side.Root(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, AVLtreeProperty, ::testing::Range(1u, 41u));

} // namespace
} // namespace qs
