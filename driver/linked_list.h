// A small doubly linked list with intrusive nodes. The batch run keeps the
// directories still to be scanned in one, as a stack (Add, RemoveTail). The
// list stores values only; it never copies, owns or frees what they point to.
#pragma once

#include <cstdint>

namespace recodo {

template <typename T>
class CLinkedList;

template <typename T>
class CLinkedListNode {
 public:
  explicit CLinkedListNode(T data) : m_Data(data) {}
  CLinkedListNode(const CLinkedListNode&) = delete;
  CLinkedListNode& operator=(const CLinkedListNode&) = delete;

  // Takes the node out of its list first; the value is left alone.
  virtual ~CLinkedListNode() { Remove(); }

  virtual CLinkedListNode* GetNext() const { return m_pNext; }
  virtual CLinkedListNode* GetPrev() const { return m_pPrev; }
  virtual T GetData() const { return m_Data; }
  virtual void SetData(T data) { m_Data = data; }
  virtual CLinkedList<T>* GetList() const { return m_pList; }
  // A node in no list is left alone.
  virtual void Remove() {
    if (m_pList != nullptr) m_pList->Remove(this);
  }
  virtual void InsertBefore(CLinkedListNode* node) {
    if (m_pList != nullptr) m_pList->InsertBefore(node, this);
  }
  virtual void Delete() { delete this; }

 private:
  friend class CLinkedList<T>;

  CLinkedList<T>* m_pList = nullptr;
  // Meaningless while the node is in no list.
  CLinkedListNode* m_pPrev = nullptr;
  CLinkedListNode* m_pNext = nullptr;
  T m_Data;
};

template <typename T>
class CLinkedList {
 public:
  using Node = CLinkedListNode<T>;

  explicit CLinkedList(bool autoDelete) : m_bAutoDelete(autoDelete) {}
  CLinkedList(const CLinkedList&) = delete;
  CLinkedList& operator=(const CLinkedList&) = delete;

  // With auto-delete, the nodes still linked are deleted (not their values).
  virtual ~CLinkedList() {
    if (m_bAutoDelete) RemoveAll();
  }

  Node* Add(T data) { return AddTail(new Node(data)); }

  Node* AddTail(Node* node) {
    if (node == nullptr) return nullptr;
    node->m_pList = this;
    node->m_pNext = nullptr;
    node->m_pPrev = m_pTail;
    if (m_pTail != nullptr) {
      m_pTail->m_pNext = node;
    } else {
      m_pHead = node;
    }
    m_pTail = node;
    ++m_nCount;
    return node;
  }

  Node* AddHead(Node* node) {
    if (node == nullptr) return nullptr;
    node->m_pList = this;
    node->m_pPrev = nullptr;
    node->m_pNext = m_pHead;
    if (m_pHead != nullptr) {
      m_pHead->m_pPrev = node;
    } else {
      m_pTail = node;
    }
    m_pHead = node;
    ++m_nCount;
    return node;
  }

  Node* InsertBefore(Node* node, Node* position) {
    if (node == nullptr || position == nullptr) return nullptr;
    if (position == m_pHead) return AddHead(node);
    Node* before = position->m_pPrev;
    node->m_pPrev = before;
    node->m_pNext = position;
    before->m_pNext = node;
    position->m_pPrev = node;
    node->m_pList = this;
    ++m_nCount;
    return node;
  }

  // Unlinks a node of this list; null for a null node or one in no list.
  Node* Remove(Node* node) {
    if (node == nullptr || node->m_pList == nullptr) return nullptr;
    if (node == m_pTail) return RemoveTail();
    if (node == m_pHead) {
      node->m_pList = nullptr;
      m_pHead = node->m_pNext;
      --m_nCount;
      if (m_pHead != nullptr) {
        m_pHead->m_pPrev = nullptr;
      } else {
        m_pTail = nullptr;
      }
      return node;
    }
    node->m_pPrev->m_pNext = node->m_pNext;
    node->m_pNext->m_pPrev = node->m_pPrev;
    node->m_pList = nullptr;
    --m_nCount;
    return node;
  }

  Node* RemoveTail() {
    Node* tail = m_pTail;
    if (tail == nullptr) return nullptr;
    tail->m_pList = nullptr;
    m_pTail = tail->m_pPrev;
    --m_nCount;
    if (m_pTail != nullptr) {
      m_pTail->m_pNext = nullptr;
    } else {
      m_pHead = nullptr;
    }
    return tail;
  }

  std::uint32_t GetCount() const { return m_nCount; }
  Node* GetHead() const { return m_pHead; }
  Node* GetTail() const { return m_pTail; }

  void RemoveAll() {
    while (m_pHead != nullptr) DeleteNode(m_pHead);
  }

  void DeleteNode(Node* node) {
    if (node != nullptr) node->Delete();
  }

 private:
  Node* m_pHead = nullptr;
  Node* m_pTail = nullptr;
  std::uint32_t m_nCount = 0;
  bool m_bAutoDelete;
};

}  // namespace recodo
