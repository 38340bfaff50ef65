// CMap: a hash map from keys of an integral type to values, with a fixed number
// of buckets (17 unless InitHashTable says otherwise) and its associations
// allocated in blocks (10 per block unless the constructor says otherwise).
// Blocks are kept until RemoveAll; freed associations are reused.
#pragma once

#include <windows.h>
#include <memory>
#include <vector>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
public:
    explicit CMap(int nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CMap() { RemoveAll(); }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // Sets the number of buckets; only while the map is empty.
    void InitHashTable(UINT nHashSize) {
        if (m_nCount == 0 && nHashSize > 0) {
            m_buckets.clear();
            m_nHashTableSize = nHashSize;
        }
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        if (const CAssoc* p = Find(key)) {
            rValue = p->value;
            return TRUE;
        }
        return FALSE;
    }

    // The value under key; a new entry with a value-initialised value when absent.
    VALUE& operator[](ARG_KEY key) {
        if (CAssoc* p = Find(key)) return p->value;
        if (m_buckets.empty()) m_buckets.assign(m_nHashTableSize, nullptr);
        CAssoc* p = NewAssoc();
        p->key = key;
        p->value = VALUE();
        CAssoc*& head = m_buckets[Hash(key)];
        p->pNext = head;
        head = p;
        ++m_nCount;
        return p->value;
    }

    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    void RemoveAll() {
        m_buckets.clear();
        m_blocks.clear();
        m_pFreeList = nullptr;
        m_nCount = 0;
    }

private:
    struct CAssoc {
        CAssoc* pNext;
        KEY key;
        VALUE value;
    };

    UINT Hash(ARG_KEY key) const { return static_cast<UINT>(key) % m_nHashTableSize; }

    CAssoc* Find(ARG_KEY key) const {
        if (m_buckets.empty()) return nullptr;
        for (CAssoc* p = m_buckets[Hash(key)]; p; p = p->pNext)
            if (p->key == key) return p;
        return nullptr;
    }

    CAssoc* NewAssoc() {
        if (!m_pFreeList) {
            m_blocks.emplace_back(new CAssoc[static_cast<size_t>(m_nBlockSize)]);
            CAssoc* pBlock = m_blocks.back().get();
            for (int i = m_nBlockSize - 1; i >= 0; --i) {
                pBlock[i].pNext = m_pFreeList;
                m_pFreeList = &pBlock[i];
            }
        }
        CAssoc* p = m_pFreeList;
        m_pFreeList = p->pNext;
        return p;
    }

    std::vector<CAssoc*> m_buckets;                  // allocated on the first insertion
    std::vector<std::unique_ptr<CAssoc[]>> m_blocks;
    CAssoc* m_pFreeList = nullptr;
    UINT m_nHashTableSize = 17;
    int m_nCount = 0;
    int m_nBlockSize;
};
