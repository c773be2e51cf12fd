// The AVL balancing core: non-recursive insert and remove, and destruction of a whole
// tree by link reversal (constant extra space, no recursion).
#include "datafile/AVLtrees.h"

namespace qs {

namespace {

// Path stack of a removal: the root link plus one entry per level. A tree of height h
// holds at least Fib(h + 2) - 1 nodes, so 90 levels exceed any tree that fits in a
// 64-bit address space and the fixed stack can never overflow.
constexpr int kMaxAVLLevels = 90;

} // namespace

TBalancedTree::~TBalancedTree() {
    TBalancedTree* left = FLeft;
    FLeft = nullptr;
    delete left;
    TBalancedTree* right = FRight;
    FRight = nullptr;
    delete right;
}

TAVLtreeNode::~TAVLtreeNode() {
    Detach();
}

void TAVLtreeNode::Detach() {
    if (FTree != nullptr) {
        FTree->UnlinkNode(this);
        FTree = nullptr;
    }
    // The children stay in the tree: the base destructor must not free them.
    FLeft = nullptr;
    FRight = nullptr;
}

TAVLtree::~TAVLtree() {
    TBalancedTree* parent = nullptr;
    TBalancedTree* node = FRoot;
    FRoot = nullptr;
    while (node != nullptr) {
        if (node->FLeft != nullptr || node->FRight != nullptr) {
            // Descend, turning the followed link round to point back at the parent.
            const TAVLSide side = node->FLeft != nullptr ? avlLeft : avlRight;
            TBalancedTree* child = node->Link(side);
            node->Link(side) = parent;
            node->FDirection = side;
            parent = node;
            node = child;
            continue;
        }
        TBalancedTree* up = parent;
        static_cast<TAVLtreeNode*>(node)->FTree = nullptr; // no removal from this tree
        delete node;
        if (up == nullptr) {
            break;
        }
        // Restore the parent's reversed link, which leads one step further up.
        parent = up->Link(up->FDirection);
        up->Link(up->FDirection) = nullptr;
        node = up;
    }
}

TAVLtreeNode* TAVLtree::Insert(TAVLtreeNode* node, bool& inserted) {
    inserted = false;
    if (node == nullptr) {
        return nullptr;
    }
    SetTree(node, this);
    inserted = node->FTree == this;
    return inserted ? node : nullptr;
}

void TAVLtree::SetTree(TAVLtreeNode* node, TAVLtree* tree) {
    if (node->FTree == tree) {
        return;
    }
    if (node->FTree != nullptr) {
        node->FTree->UnlinkNode(node);
        node->FTree = nullptr;
    }
    if (tree == nullptr) {
        return;
    }
    node->FTree = tree;
    if (tree->LinkNode(node) != node) {
        node->FTree = nullptr;
    }
}

TAVLtreeNode* TAVLtree::LinkNode(TAVLtreeNode* node) {
    node->FLeft = nullptr;
    node->FRight = nullptr;
    node->FBalance = avlBalanced;
    if (FRoot == nullptr) {
        FRoot = node;
        return node;
    }
    // The deepest unbalanced node on the path is the only one that may need a rotation.
    TBalancedTree** topLink = &FRoot;
    TBalancedTree* top = FRoot;
    TBalancedTree** link = &FRoot;
    for (TBalancedTree* cur = FRoot; cur != nullptr; cur = *link) {
        const int c = node->Compare(*static_cast<TAVLtreeNode*>(cur));
        if (c == 0) {
            return static_cast<TAVLtreeNode*>(cur);
        }
        if (cur->FBalance != avlBalanced) {
            top = cur;
            topLink = link;
        }
        cur->FDirection = c < 0 ? avlLeft : avlRight;
        link = &cur->Link(cur->FDirection);
    }
    *link = node;

    for (TBalancedTree* p = top->Link(top->FDirection); p != node; p = p->Link(p->FDirection)) {
        p->FBalance = p->FDirection;
    }
    const TAVLSide d = top->FDirection;
    const TAVLSide o = OppositeSide(d);
    if (top->FBalance == avlBalanced) {
        top->FBalance = d;
        return node;
    }
    if (top->FBalance == o) {
        top->FBalance = avlBalanced;
        return node;
    }
    TBalancedTree* c = top->Link(d);
    if (c->FBalance == d) {
        top->Link(d) = c->Link(o);
        c->Link(o) = top;
        top->FBalance = avlBalanced;
        c->FBalance = avlBalanced;
        *topLink = c;
        return node;
    }
    TBalancedTree* g = c->Link(o);
    c->Link(o) = g->Link(d);
    g->Link(d) = c;
    top->Link(d) = g->Link(o);
    g->Link(o) = top;
    top->FBalance = g->FBalance == d ? o : avlBalanced;
    c->FBalance = g->FBalance == o ? d : avlBalanced;
    g->FBalance = avlBalanced;
    *topLink = g;
    return node;
}

bool TAVLtree::UnlinkNode(TAVLtreeNode* node) {
    TBalancedTree* path[kMaxAVLLevels];
    TAVLSide sides[kMaxAVLLevels];
    int depth = 0;
    // The link that points at path entry i.
    auto linkTo = [&](int i) -> TBalancedTree*& {
        return i == 0 ? FRoot : path[i - 1]->Link(sides[i - 1]);
    };

    TBalancedTree* cur = FRoot;
    while (cur != node) {
        if (cur == nullptr) {
            return false;
        }
        const int c = node->Compare(*static_cast<TAVLtreeNode*>(cur));
        // An equal key on another node means this node is not linked here; removing
        // that other node instead would leave it claiming a tree it is no longer in.
        if (c == 0) {
            return false;
        }
        path[depth] = cur;
        sides[depth] = c < 0 ? avlLeft : avlRight;
        cur = cur->Link(sides[depth]);
        ++depth;
    }

    TBalancedTree*& slot = linkTo(depth);
    TBalancedTree* r = node->FRight;
    if (r == nullptr) {
        slot = node->FLeft;
    } else if (r->FLeft == nullptr) {
        r->FLeft = node->FLeft;
        r->FBalance = node->FBalance;
        slot = r;
        path[depth] = r;
        sides[depth] = avlRight;
        ++depth;
    } else {
        const int entry = depth++;
        TBalancedTree* s = r;
        do {
            path[depth] = s;
            sides[depth] = avlLeft;
            ++depth;
            s = s->FLeft;
        } while (s->FLeft != nullptr);
        path[depth - 1]->FLeft = s->FRight;
        s->FLeft = node->FLeft;
        s->FRight = node->FRight;
        s->FBalance = node->FBalance;
        slot = s;
        path[entry] = s;
        sides[entry] = avlRight;
    }
    node->FLeft = nullptr;
    node->FRight = nullptr;
    node->FBalance = avlBalanced;

    // Retrace: the subtree on side d of path[i] has just become one level lower.
    for (int i = depth - 1; i >= 0; --i) {
        TBalancedTree* c = path[i];
        const TAVLSide d = sides[i];
        const TAVLSide o = OppositeSide(d);
        if (c->FBalance == avlBalanced) {
            c->FBalance = o;
            break;
        }
        if (c->FBalance == d) {
            c->FBalance = avlBalanced;
            continue;
        }
        TBalancedTree* x = c->Link(o);
        if (x->FBalance != d) {
            const bool heightKept = x->FBalance == avlBalanced;
            c->Link(o) = x->Link(d);
            x->Link(d) = c;
            if (heightKept) {
                x->FBalance = d; // c stays o-high
            } else {
                c->FBalance = avlBalanced;
                x->FBalance = avlBalanced;
            }
            linkTo(i) = x;
            if (heightKept) {
                break;
            }
            continue;
        }
        TBalancedTree* y = x->Link(d);
        x->Link(d) = y->Link(o);
        y->Link(o) = x;
        c->Link(o) = y->Link(d);
        y->Link(d) = c;
        c->FBalance = y->FBalance == o ? d : avlBalanced;
        x->FBalance = y->FBalance == d ? o : avlBalanced;
        y->FBalance = avlBalanced;
        linkTo(i) = y;
    }
    return true;
}

} // namespace qs
