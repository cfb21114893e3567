#include "framework/String.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The empty block and its terminator. Its count starts above 1, so that it
// always counts as shared: writers fork it instead of writing into it, and
// balanced references never bring it to zero.
struct NilBlock {
    CStringData header;
    wchar_t text[2];
};

class CHeapStringMgr final : public IStringMgr {
public:
    CHeapStringMgr() : m_nil{{this, 0, 0, 2}, {0, 0}} {}

    CStringData* HR_MEMBER_CALL Allocate(int nChars, int nCharSize) override {
        int alloc = 0;
        size_t bytes = 0;
        if (!Size(nChars, nCharSize, alloc, bytes)) return nullptr;
        auto* pData = static_cast<CStringData*>(std::malloc(bytes));
        if (pData == nullptr) return nullptr;
        pData->pStringMgr = this;
        pData->nRefs = 1;
        pData->nAllocLength = alloc;
        pData->nDataLength = 0;
        std::memset(pData->data(), 0, static_cast<size_t>(nCharSize));
        return pData;
    }

    void HR_MEMBER_CALL Free(CStringData* pData) override {
        // The empty block is static; an unbalanced release must not hand it
        // to the heap.
        if (pData == nullptr || pData == &m_nil.header) return;
        std::free(pData);
    }

    CStringData* HR_MEMBER_CALL Reallocate(CStringData* pData, int nChars, int nCharSize) override {
        if (pData == &m_nil.header) return Allocate(nChars, nCharSize);
        int alloc = 0;
        size_t bytes = 0;
        if (pData == nullptr || !Size(nChars, nCharSize, alloc, bytes)) return nullptr;
        auto* pNew = static_cast<CStringData*>(std::realloc(pData, bytes));
        if (pNew == nullptr) return nullptr;
        pNew->nAllocLength = alloc;
        if (pNew->nDataLength > alloc) pNew->nDataLength = alloc;
        return pNew;
    }

    CStringData* HR_MEMBER_CALL GetNilString() override {
        m_nil.header.AddRef();
        return &m_nil.header;
    }

    IStringMgr* HR_MEMBER_CALL Clone() override { return this; }

private:
    // Room for nChars and the terminator, rounded up to 8 characters so that
    // a string grown a character at a time is not moved every time.
    static bool Size(int nChars, int nCharSize, int& alloc, size_t& bytes) {
        if (nChars < 0 || nCharSize <= 0 || nCharSize > 4) return false;
        const long long rounded = (static_cast<long long>(nChars) + 1 + 7) / 8 * 8;
        const long long total = static_cast<long long>(sizeof(CStringData)) + rounded * nCharSize;
        if (rounded - 1 > INT_MAX || total > INT_MAX) return false;
        alloc = static_cast<int>(rounded - 1);
        bytes = static_cast<size_t>(total);
        return true;
    }

    NilBlock m_nil;
};

}  // namespace

IStringMgr* GetStringMgr() {
    // Never destroyed: strings of objects torn down late still reach it.
    static CHeapStringMgr* const mgr = new CHeapStringMgr;
    return mgr;
}

void CStringData::Release() {
    if (__atomic_sub_fetch(&nRefs, 1, __ATOMIC_SEQ_CST) <= 0 && pStringMgr != nullptr)
        pStringMgr->Free(this);
}

CString::CString() : m_pszData(GetStringMgr()->GetNilString()->data()) {}

CStringData* CString::GetData() const {
    return m_pszData != nullptr ? reinterpret_cast<CStringData*>(m_pszData) - 1 : nullptr;
}

int CString::GetLength() const {
    const CStringData* pData = GetData();
    if (pData == nullptr || pData->nDataLength <= 0 || pData->nAllocLength <= 0) return 0;
    return pData->nDataLength < pData->nAllocLength ? pData->nDataLength : pData->nAllocLength;
}

const wchar_t* CString::GetString() const {
    return m_pszData != nullptr && GetLength() > 0 ? m_pszData : L"";
}

void CString::Release() {
    if (CStringData* pData = GetData()) pData->Release();
    m_pszData = nullptr;
}

void CString::Empty() {
    Release();
    m_pszData = GetStringMgr()->GetNilString()->data();
}
