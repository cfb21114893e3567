#pragma once
// The framework's wide string, in the binary shape that modules built with
// the dialog framework elsewhere (the companion library) read and write in
// place: a string object is one pointer to its text, the text follows a
// header that names the string manager owning the block, and every change of
// ownership goes through that manager's methods. A foreign module assigning
// to one of our strings therefore calls our manager, and a block it hands
// over is given back through the manager its header names, never assumed to
// be ours.
//
// Only what the tool needs: an empty string to start from, reading as the
// header says, and letting go of the block.
#include <cstddef>
#include <cstdint>

// The manager's methods use the member-function calling convention, which on
// 32-bit Windows is thiscall (the object in ECX, the callee pops the rest).
#if defined(_WIN32) && defined(__i386__)
#define HR_MEMBER_CALL __attribute__((thiscall))
#else
#define HR_MEMBER_CALL
#endif

struct CStringData;

// A string manager: an object whose first member points to a table of these
// five methods, in this order. Foreign modules call them through the table,
// so neither the order nor the signatures may change, and there is no
// virtual destructor (it would add entries).
class IStringMgr {
public:
    // A block for `nChars` characters plus the terminator, one reference,
    // length 0; null when it cannot be had.
    virtual CStringData* HR_MEMBER_CALL Allocate(int nChars, int nCharSize) = 0;
    virtual void HR_MEMBER_CALL Free(CStringData* pData) = 0;
    // `pData` moved into a block for `nChars` characters; null (and `pData`
    // untouched) when it cannot be had.
    virtual CStringData* HR_MEMBER_CALL Reallocate(CStringData* pData, int nChars, int nCharSize) = 0;
    // The shared empty block, with one more reference.
    virtual CStringData* HR_MEMBER_CALL GetNilString() = 0;
    virtual IStringMgr* HR_MEMBER_CALL Clone() = 0;

protected:
    ~IStringMgr() = default;
};

// The header in front of every string's text. A count above 1 means shared,
// below 0 locked (exclusively held, freed when released).
struct CStringData {
    IStringMgr* pStringMgr;
    int32_t nDataLength;   // characters
    int32_t nAllocLength;  // characters, terminator not counted
    int32_t nRefs;

    wchar_t* data() { return reinterpret_cast<wchar_t*>(this + 1); }
    void AddRef() { __atomic_add_fetch(&nRefs, 1, __ATOMIC_SEQ_CST); }
    // One reference less; the owning manager frees the block at zero or below.
    void Release();
};

static_assert(offsetof(CStringData, pStringMgr) == 0, "manager first");
static_assert(offsetof(CStringData, nDataLength) == sizeof(void*), "then the data length");
static_assert(offsetof(CStringData, nAllocLength) == sizeof(void*) + 4, "then the allocation");
static_assert(offsetof(CStringData, nRefs) == sizeof(void*) + 8, "then the count");
// 16 bytes on x86, 24 on x64 (padded to pointer alignment); the text starts
// right after.
static_assert(sizeof(CStringData) == (sizeof(void*) == 8 ? 24 : 16), "header size");

// This module's manager: blocks on the C heap and one empty block that is
// never freed. Lives for the whole process.
IStringMgr* GetStringMgr();

class CString {
public:
    // The empty string of this module's manager.
    CString();
    // Lets go of the block through the manager its header names.
    ~CString() { Release(); }
    CString(const CString&) = delete;
    CString& operator=(const CString&) = delete;

    // As the header says, never more than the block holds; 0 for a block
    // that makes no sense.
    int GetLength() const;
    // The text; use GetLength characters of it.
    const wchar_t* GetString() const;
    bool IsEmpty() const { return GetLength() == 0; }

    // Lets go of whatever block the string holds (someone else's included)
    // and holds this module's empty string again.
    void Empty();

private:
    CStringData* GetData() const;
    void Release();

    wchar_t* m_pszData;
};

static_assert(sizeof(CString) == sizeof(void*), "a string is one pointer to its text");
