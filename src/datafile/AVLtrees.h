// Intrusive height-balanced (AVL) search trees: the nodes carry their own links, so insert
// and remove allocate nothing and walk without recursion. The dictionary keeps its name
// index (case-insensitive string keys) and its item-ID index (integer keys) in them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qs {

class EAVLtreeException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One encoding for the side a search took and for a node's balance: the opposite side is
// a single bit flip, and "balanced" is a third value.
enum TAVLSide : std::uint8_t { avlLeft = 0, avlRight = 1, avlBalanced = 2 };

inline TAVLSide OppositeSide(TAVLSide side) {
    return TAVLSide(side ^ 1);
}

// A binary tree node. Destroying a plain node destroys its whole subtree.
class TBalancedTree {
public:
    TBalancedTree() = default;
    TBalancedTree(const TBalancedTree&) = delete;
    TBalancedTree& operator=(const TBalancedTree&) = delete;
    virtual ~TBalancedTree();

    TBalancedTree* Left() const { return FLeft; }
    TBalancedTree* Right() const { return FRight; }
    TAVLSide Balance() const { return FBalance; }

protected:
    TBalancedTree*& Link(TAVLSide side) { return side == avlLeft ? FLeft : FRight; }

    TBalancedTree* FLeft = nullptr;
    TBalancedTree* FRight = nullptr;
    TAVLSide FBalance = avlBalanced;
    TAVLSide FDirection = avlLeft; // scratch: the side the last walk went down from here

    friend class TAVLtree;
};

class TAVLtree;

// A node that knows its tree. Destroying it takes it out of its tree (rebalancing the
// rest) and leaves its children in place. Every concrete node class calls Detach() in
// its destructor, while its Compare still works.
class TAVLtreeNode : public TBalancedTree {
public:
    ~TAVLtreeNode() override;

    // Negative: this node's key sorts before other's; zero: equal keys.
    virtual int Compare(const TAVLtreeNode& other) const = 0;

    TAVLtree* Tree() const { return FTree; }
    TAVLtreeNode* LeftNode() const { return static_cast<TAVLtreeNode*>(FLeft); }
    TAVLtreeNode* RightNode() const { return static_cast<TAVLtreeNode*>(FRight); }

protected:
    TAVLtreeNode() = default;
    void Detach();

    TAVLtree* FTree = nullptr;

    friend class TAVLtree;
};

class TAVLtree {
public:
    TAVLtree() = default;
    TAVLtree(const TAVLtree&) = delete;
    TAVLtree& operator=(const TAVLtree&) = delete;
    // Destroys every node still in the tree.
    virtual ~TAVLtree();

    // Moves the node into this tree. Returns it with inserted = true when it now belongs
    // here; nullptr and false for a null node, a node of the wrong kind or a duplicate key.
    virtual TAVLtreeNode* Insert(TAVLtreeNode* node, bool& inserted);

    virtual const char* ClassName() const { return "TAVLtree"; }

    TAVLtreeNode* Root() const { return static_cast<TAVLtreeNode*>(FRoot); }

protected:
    // Takes the node out of its old tree and links it into `tree` (null: into none).
    static void SetTree(TAVLtreeNode* node, TAVLtree* tree);
    // Links a node that belongs to no tree; returns the node already holding an equal
    // key, else the node itself.
    TAVLtreeNode* LinkNode(TAVLtreeNode* node);
    // Unlinks a node of this tree; false when it is not linked here.
    bool UnlinkNode(TAVLtreeNode* node);

    TBalancedTree* FRoot = nullptr;

    friend class TAVLtreeNode;
};

class TIntKeyAVLtree;
class TStringKeyAVLtree;

class TIntKeyAVLtreeNode : public TAVLtreeNode {
public:
    // With a tree the node is inserted; a duplicate key raises EAVLtreeException.
    TIntKeyAVLtreeNode(TIntKeyAVLtree* tree, std::int32_t key);
    ~TIntKeyAVLtreeNode() override;
    static TIntKeyAVLtreeNode* Create(TIntKeyAVLtree* tree, std::int32_t key);

    int Compare(const TAVLtreeNode& other) const override;
    std::int32_t Key() const { return FKey; }

protected:
    std::int32_t FKey;
};

class TStringKeyAVLtreeNode : public TAVLtreeNode {
public:
    TStringKeyAVLtreeNode(TStringKeyAVLtree* tree, std::string key);
    ~TStringKeyAVLtreeNode() override;
    static TStringKeyAVLtreeNode* Create(TStringKeyAVLtree* tree, const std::string& key);

    int Compare(const TAVLtreeNode& other) const override;
    const std::string& Key() const { return FKey; }

protected:
    std::string FKey;
};

// The node "class references" a tree uses to make its nodes in Add.
using TIntKeyNodeClass = TIntKeyAVLtreeNode* (*)(TIntKeyAVLtree* tree, std::int32_t key);
using TStringKeyNodeClass = TStringKeyAVLtreeNode* (*)(TStringKeyAVLtree* tree,
                                                       const std::string& key);

class TIntKeyAVLtree : public TAVLtree {
public:
    explicit TIntKeyAVLtree(TIntKeyNodeClass nodeClass = &TIntKeyAVLtreeNode::Create)
        : FNodeClass(nodeClass) {}

    TAVLtreeNode* Insert(TAVLtreeNode* node, bool& inserted) override;
    const char* ClassName() const override { return "TIntKeyAVLtree"; }
    // A new node for the key, or nullptr (and no node left behind) for a duplicate.
    TIntKeyAVLtreeNode* Add(std::int32_t key);

protected:
    TIntKeyNodeClass FNodeClass;
};

class TStringKeyAVLtree : public TAVLtree {
public:
    explicit TStringKeyAVLtree(TStringKeyNodeClass nodeClass = &TStringKeyAVLtreeNode::Create)
        : FNodeClass(nodeClass) {}

    TAVLtreeNode* Insert(TAVLtreeNode* node, bool& inserted) override;
    const char* ClassName() const override { return "TStringKeyAVLtree"; }
    // Case-insensitive, in the user locale's collation: -1, 0 or +1.
    virtual int CompareKeys(const std::string& a, const std::string& b) const;

    TStringKeyAVLtreeNode* Add(const std::string& key);
    TStringKeyAVLtreeNode* Find(const std::string& key) const;

protected:
    TStringKeyNodeClass FNodeClass;
};

// Index nodes: the key plus the position of the indexed item in its collection.
class TVarIDAVLNode : public TIntKeyAVLtreeNode {
public:
    using TIntKeyAVLtreeNode::TIntKeyAVLtreeNode;
    static TIntKeyAVLtreeNode* Create(TIntKeyAVLtree* tree, std::int32_t key);

    std::int32_t FIndex = 0;
};

class TVarNameAVLNode : public TStringKeyAVLtreeNode {
public:
    using TStringKeyAVLtreeNode::TStringKeyAVLtreeNode;
    static TStringKeyAVLtreeNode* Create(TStringKeyAVLtree* tree, const std::string& key);

    std::int32_t FIndex = 0;
};

class TVarIDAVLTree : public TIntKeyAVLtree {
public:
    TVarIDAVLTree() : TIntKeyAVLtree(&TVarIDAVLNode::Create) {}
    const char* ClassName() const override { return "TVarIDAVLTree"; }
    TVarIDAVLNode* Add(std::int32_t key) {
        return static_cast<TVarIDAVLNode*>(TIntKeyAVLtree::Add(key));
    }
};

class TVarNameAVLTree : public TStringKeyAVLtree {
public:
    TVarNameAVLTree() : TStringKeyAVLtree(&TVarNameAVLNode::Create) {}
    const char* ClassName() const override { return "TVarNameAVLTree"; }
    TVarNameAVLNode* Add(const std::string& key) {
        return static_cast<TVarNameAVLNode*>(TStringKeyAVLtree::Add(key));
    }
    TVarNameAVLNode* Find(const std::string& key) const {
        return static_cast<TVarNameAVLNode*>(TStringKeyAVLtree::Find(key));
    }
};

} // namespace qs
