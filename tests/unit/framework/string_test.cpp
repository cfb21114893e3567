#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/String.h"

namespace {

// Another module's manager: counts what it is asked to free.
class ForeignMgr final : public IStringMgr {
public:
    CStringData* Allocate(int nChars, int nCharSize) override {
        auto* d = static_cast<CStringData*>(std::calloc(1, sizeof(CStringData) + (nChars + 1) * nCharSize));
        *d = CStringData{this, 0, nChars, 1};
        return d;
    }
    void Free(CStringData* pData) override {
        freed.push_back(pData);
        std::free(pData);
    }
    CStringData* Reallocate(CStringData*, int, int) override { return nullptr; }
    CStringData* GetNilString() override { return nullptr; }
    IStringMgr* Clone() override { return this; }

    std::vector<CStringData*> freed;
};

// What a foreign module's assignment leaves in the string object: a pointer
// to the text behind the header.
CStringData* Header(CString& s) { return *reinterpret_cast<CStringData**>(&s) - 1; }
void Attach(CString& s, CStringData* d) {
    Header(s)->Release();
    *reinterpret_cast<wchar_t**>(&s) = d->data();
}

CStringData* Block(IStringMgr& mgr, const wchar_t* text, int refs) {
    const int n = static_cast<int>(std::wcslen(text));
    CStringData* d = mgr.Allocate(n, sizeof(wchar_t));
    std::memcpy(d->data(), text, (n + 1) * sizeof(wchar_t));
    d->nDataLength = n;
    d->nRefs = refs;
    return d;
}

}  // namespace

TEST(FrameworkString, StartsOnTheSharedEmptyBlockAndGivesItBack) {
    CStringData* nil = GetStringMgr()->GetNilString();
    const int32_t before = nil->nRefs;
    {
        CString a, b;
        EXPECT_EQ(Header(a), nil);
        EXPECT_EQ(Header(b), nil);
        EXPECT_EQ(nil->nRefs, before + 2);
        EXPECT_EQ(a.GetLength(), 0);
        EXPECT_STREQ(a.GetString(), L"");
        a.Empty();
        EXPECT_EQ(nil->nRefs, before + 2);
    }
    EXPECT_EQ(nil->nRefs, before);
    EXPECT_GT(nil->nRefs, 1) << "always shared, so writers fork it";
    nil->Release();
}

TEST(FrameworkString, ReadsAsTheHeaderSays) {
    ForeignMgr foreign;
    CString s;
    CStringData* d = Block(foreign, L"https://x/yz", 1);
    Attach(s, d);
    d->nDataLength = 9;  // the text goes on past the length
    EXPECT_EQ(s.GetLength(), 9);
    EXPECT_EQ(std::wstring(s.GetString(), s.GetLength()), L"https://x");
    d->nDataLength = 40;  // beyond the block: cut at what it holds
    EXPECT_EQ(s.GetLength(), d->nAllocLength);
    d->nDataLength = -1;
    EXPECT_EQ(s.GetLength(), 0);
}

TEST(FrameworkString, LetsGoThroughTheManagerItsHeaderNames) {
    ForeignMgr foreign;
    struct Case { int refs; size_t freed; int refsAfter; };
    // Held alone, shared with the other module, locked.
    for (const Case& c : {Case{1, 1, 0}, Case{2, 0, 1}, Case{-1, 1, 0}}) {
        foreign.freed.clear();
        CStringData* d = Block(foreign, L"text", c.refs);
        {
            CString s;
            Attach(s, d);
            s.Empty();
            EXPECT_EQ(Header(s)->pStringMgr, GetStringMgr()) << "refs " << c.refs;
            EXPECT_EQ(s.GetLength(), 0);
        }  // and nothing more when the string goes
        ASSERT_EQ(foreign.freed.size(), c.freed) << "refs " << c.refs;
        if (c.freed == 0) {
            EXPECT_EQ(d->nRefs, c.refsAfter);
            d->Release();
        } else {
            EXPECT_EQ(foreign.freed[0], d);
        }
    }
}

TEST(FrameworkString, OwnManagerGivesWritableBlocks) {
    IStringMgr* mgr = GetStringMgr();
    EXPECT_EQ(mgr->Clone(), mgr);
    EXPECT_EQ(mgr->Allocate(-1, 2), nullptr);
    CStringData* d = mgr->Allocate(3, sizeof(wchar_t));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->pStringMgr, mgr);
    EXPECT_EQ(d->nRefs, 1);
    EXPECT_EQ(d->nDataLength, 0);
    EXPECT_GE(d->nAllocLength, 3);
    EXPECT_EQ(d->data()[0], L'\0');
    std::wmemcpy(d->data(), L"abc", 4);
    d->nDataLength = 3;
    d = mgr->Reallocate(d, 100, sizeof(wchar_t));
    ASSERT_NE(d, nullptr);
    EXPECT_GE(d->nAllocLength, 100);
    EXPECT_EQ(d->nDataLength, 3);
    EXPECT_STREQ(d->data(), L"abc");
    d->Release();
    // An unbalanced release of the empty block must not reach the heap.
    CStringData* nil = mgr->GetNilString();
    mgr->Free(nil);
    nil->Release();
}
