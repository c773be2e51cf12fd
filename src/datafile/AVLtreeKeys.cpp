// The keyed node and tree classes of the AVL trees: integer keys, case-insensitive
// string keys, and the two dictionary indexes built from them.
#include "datafile/AVLtrees.h"
#include "datafile/LocaleText.h"

#include <algorithm>
#include <climits>

namespace qs {

TIntKeyAVLtreeNode::TIntKeyAVLtreeNode(TIntKeyAVLtree* tree, std::int32_t key) : FKey(key) {
    if (tree != nullptr) {
        bool inserted = false;
        tree->Insert(this, inserted);
        if (!inserted) {
            throw EAVLtreeException("Attempt to insert duplicate key " + std::to_string(key) +
                                    " into " + tree->ClassName());
        }
    }
}

TIntKeyAVLtreeNode::~TIntKeyAVLtreeNode() {
    Detach();
}

TIntKeyAVLtreeNode* TIntKeyAVLtreeNode::Create(TIntKeyAVLtree* tree, std::int32_t key) {
    return new TIntKeyAVLtreeNode(tree, key);
}

int TIntKeyAVLtreeNode::Compare(const TAVLtreeNode& other) const {
    // The difference, saturated: keys far apart must not overflow into the wrong sign.
    const long long d =
        static_cast<long long>(FKey) - static_cast<const TIntKeyAVLtreeNode&>(other).FKey;
    return static_cast<int>(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

TStringKeyAVLtreeNode::TStringKeyAVLtreeNode(TStringKeyAVLtree* tree, std::string key)
    : FKey(std::move(key)) {
    if (tree != nullptr) {
        bool inserted = false;
        tree->Insert(this, inserted);
        if (!inserted) {
            throw EAVLtreeException("Attempt to insert duplicate key '" + FKey + "' into " +
                                    tree->ClassName());
        }
    }
}

TStringKeyAVLtreeNode::~TStringKeyAVLtreeNode() {
    Detach();
}

TStringKeyAVLtreeNode* TStringKeyAVLtreeNode::Create(TStringKeyAVLtree* tree,
                                                     const std::string& key) {
    return new TStringKeyAVLtreeNode(tree, key);
}

int TStringKeyAVLtreeNode::Compare(const TAVLtreeNode& other) const {
    const auto& otherKey = static_cast<const TStringKeyAVLtreeNode&>(other).FKey;
    // Only string-key trees accept string nodes, so the tree's own comparison applies.
    if (FTree != nullptr) {
        return static_cast<const TStringKeyAVLtree*>(FTree)->CompareKeys(FKey, otherKey);
    }
    return CompareTextUserLocale(FKey, otherKey);
}

TAVLtreeNode* TIntKeyAVLtree::Insert(TAVLtreeNode* node, bool& inserted) {
    if (dynamic_cast<TIntKeyAVLtreeNode*>(node) == nullptr) {
        inserted = false;
        return nullptr;
    }
    return TAVLtree::Insert(node, inserted);
}

TIntKeyAVLtreeNode* TIntKeyAVLtree::Add(std::int32_t key) {
    TIntKeyAVLtreeNode* node = FNodeClass(nullptr, key);
    bool inserted = false;
    Insert(node, inserted);
    if (!inserted) {
        delete node;
        return nullptr;
    }
    return node;
}

TAVLtreeNode* TStringKeyAVLtree::Insert(TAVLtreeNode* node, bool& inserted) {
    if (dynamic_cast<TStringKeyAVLtreeNode*>(node) == nullptr) {
        inserted = false;
        return nullptr;
    }
    return TAVLtree::Insert(node, inserted);
}

int TStringKeyAVLtree::CompareKeys(const std::string& a, const std::string& b) const {
    return CompareTextUserLocale(a, b);
}

TStringKeyAVLtreeNode* TStringKeyAVLtree::Add(const std::string& key) {
    TStringKeyAVLtreeNode* node = FNodeClass(nullptr, key);
    bool inserted = false;
    Insert(node, inserted);
    if (!inserted) {
        delete node;
        return nullptr;
    }
    return node;
}

TStringKeyAVLtreeNode* TStringKeyAVLtree::Find(const std::string& key) const {
    auto* node = static_cast<TStringKeyAVLtreeNode*>(FRoot);
    while (node != nullptr) {
        const int c = CompareKeys(key, node->Key());
        if (c == 0) {
            return node;
        }
        node = static_cast<TStringKeyAVLtreeNode*>(c < 0 ? node->Left() : node->Right());
    }
    return nullptr;
}

TIntKeyAVLtreeNode* TVarIDAVLNode::Create(TIntKeyAVLtree* tree, std::int32_t key) {
    return new TVarIDAVLNode(tree, key);
}

TStringKeyAVLtreeNode* TVarNameAVLNode::Create(TStringKeyAVLtree* tree, const std::string& key) {
    return new TVarNameAVLNode(tree, key);
}

} // namespace qs
