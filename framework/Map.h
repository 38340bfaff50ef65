// CMap: a map from keys of an integral type to values, over the standard
// library's hash map. The bucket count it names (17) is a hint to the
// container; the block size of the constructor is accepted for the familiar
// signature: the container allocates for itself.
#pragma once

#include <windows.h>
#include <unordered_map>

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
public:
    explicit CMap(int /*nBlockSize*/ = 10) { m_map.rehash(m_nHashTableSize); }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

    int GetCount() const { return static_cast<int>(m_map.size()); }
    bool IsEmpty() const { return m_map.empty(); }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
        const auto it = m_map.find(key);
        if (it == m_map.end()) return FALSE;
        rValue = it->second;
        return TRUE;
    }

    // The value under key; a new entry with a value-initialised value when absent.
    VALUE& operator[](ARG_KEY key) { return m_map[key]; }

    void SetAt(ARG_KEY key, ARG_VALUE newValue) { m_map[key] = newValue; }

    void RemoveAll() { m_map.clear(); }

private:
    std::unordered_map<KEY, VALUE> m_map;
    const UINT m_nHashTableSize = 17;
};
