#include "driver/linked_list.h"

#include <gtest/gtest.h>

#include <vector>

using recodo::CLinkedList;
using recodo::CLinkedListNode;

namespace {

using List = CLinkedList<const wchar_t*>;
using Node = CLinkedListNode<const wchar_t*>;

// Walks the list both ways and checks the links agree with the count.
std::vector<const wchar_t*> Forward(const List& list) {
  std::vector<const wchar_t*> values;
  const Node* previous = nullptr;
  for (Node* node = list.GetHead(); node != nullptr; node = node->GetNext()) {
    EXPECT_EQ(node->GetPrev(), previous);
    EXPECT_EQ(node->GetList(), &list);
    values.push_back(node->GetData());
    previous = node;
  }
  EXPECT_EQ(previous, list.GetTail());
  EXPECT_EQ(values.size(), list.GetCount());
  return values;
}

const wchar_t a[] = L"a", b[] = L"b", c[] = L"c", d[] = L"d";

TEST(LinkedList, UsedAsAStackOfDirectories) {
  List list(false);
  EXPECT_EQ(list.RemoveTail(), nullptr);
  EXPECT_EQ(list.GetCount(), 0u);
  list.Add(a);
  list.Add(b);
  list.Add(c);
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{a, b, c}));
  for (const wchar_t* expected : {c, b, a}) {
    Node* node = list.RemoveTail();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetData(), expected);
    EXPECT_EQ(node->GetList(), nullptr);
    delete node;
    Forward(list);
  }
  EXPECT_EQ(list.GetHead(), nullptr);
  EXPECT_EQ(list.GetTail(), nullptr);
  EXPECT_EQ(list.RemoveTail(), nullptr);
}

TEST(LinkedList, InsertAndRemoveAnywhere) {
  List list(true);
  Node* nb = list.Add(b);
  Node* nd = list.Add(d);
  EXPECT_EQ(list.InsertBefore(new Node(a), nb)->GetData(), a) << "before the head: a new head";
  EXPECT_EQ(list.GetHead()->GetData(), a);
  nd->InsertBefore(new Node(c));
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{a, b, c, d}));
  EXPECT_EQ(list.InsertBefore(nullptr, nb), nullptr);
  Node loose(a);
  EXPECT_EQ(list.InsertBefore(&loose, nullptr), nullptr);
  EXPECT_EQ(loose.GetList(), nullptr);
  EXPECT_EQ(list.AddTail(nullptr), nullptr);
  EXPECT_EQ(list.AddHead(nullptr), nullptr);
  EXPECT_EQ(list.GetCount(), 4u);

  delete list.Remove(nb);  // middle
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{a, c, d}));
  delete list.Remove(list.GetHead());
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{c, d}));
  delete list.Remove(nd);  // tail
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{c}));
  Node* last = list.GetHead();
  EXPECT_EQ(list.Remove(last), last);
  EXPECT_EQ(list.Remove(last), nullptr) << "a node in no list";
  EXPECT_EQ(list.Remove(nullptr), nullptr);
  EXPECT_EQ(list.GetHead(), nullptr);
  EXPECT_EQ(list.GetTail(), nullptr);
  list.AddHead(last);
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{c}));
}

TEST(LinkedList, DeletingALinkedNodeUnlinksItFirst) {
  List list(false);
  list.Add(a);
  Node* middle = list.Add(b);
  list.Add(c);
  middle->Delete();
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{a, c}));
  list.DeleteNode(list.GetTail());
  list.DeleteNode(nullptr);
  EXPECT_EQ(Forward(list), (std::vector<const wchar_t*>{a}));
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0u);
}

// Values are never freed: an auto-deleting list over values that count
// their own destruction leaves them alone.
TEST(LinkedList, AutoDeleteFreesNodesNotValues) {
  int destroyed = 0;
  struct Counted {
    int* counter;
    ~Counted() { ++*counter; }
  };
  Counted one{&destroyed}, two{&destroyed};
  {
    CLinkedList<Counted*> list(true);
    list.Add(&one);
    list.Add(&two);
  }
  EXPECT_EQ(destroyed, 0);
}

}  // namespace
