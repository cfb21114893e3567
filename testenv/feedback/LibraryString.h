#pragma once
// How a library built with the dialog framework changes the strings it is
// handed: the framework's inline string code, written here from the binary
// shape alone, since this library shares no code with the tool.
//
// A string is a pointer to its text. The text follows a header: the manager
// owning the block, the data length, the allocated length (terminator not
// counted) and a reference count (above 1 shared, below 0 locked). A manager
// is an object whose first member points to a table of five methods, called
// with the member-function calling convention: Allocate, Free, Reallocate,
// GetNilString, Clone.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace fw {

#if defined(__i386__)
#define FW_THISCALL __attribute__((thiscall))
#else
#define FW_THISCALL
#endif

struct Mgr;

struct Data {
    Mgr* mgr;
    int dataLength;
    int allocLength;
    long refs;
    wchar_t* text() { return reinterpret_cast<wchar_t*>(this + 1); }
};
static_assert(sizeof(long) == 4, "the count is a 32-bit long");
static_assert(sizeof(Data) == (sizeof(void*) == 8 ? 24 : 16), "header size");

struct MgrTable {
    Data*(FW_THISCALL* Allocate)(Mgr* self, int chars, int charSize);
    void(FW_THISCALL* Free)(Mgr* self, Data* data);
    Data*(FW_THISCALL* Reallocate)(Mgr* self, Data* data, int chars, int charSize);
    Data*(FW_THISCALL* GetNilString)(Mgr* self);
    Mgr*(FW_THISCALL* Clone)(Mgr* self);
};

struct Mgr {
    const MgrTable* table;
};

// What happened to a block, for the journal: "alloc", "realloc" (with the
// block it came from) and "free", each reported while the header is intact.
typedef void (*BlockEvent)(const char* what, Data* block, Data* from);
inline BlockEvent onBlock = nullptr;

inline void Note(const char* what, Data* block, Data* from = nullptr) {
    if (onBlock != nullptr) onBlock(what, block, from);
}

inline Data* DataOf(wchar_t* s) { return reinterpret_cast<Data*>(s) - 1; }

inline wchar_t* EmptyOf(Mgr* mgr) { return mgr->table->GetNilString(mgr)->text(); }

inline void Release(Data* d) {
    if (InterlockedDecrement(&d->refs) <= 0) {
        Note("free", d);
        d->mgr->table->Free(d->mgr, d);
    }
}

// A block of its own for the string, from the manager the old header names,
// keeping the text; the old block loses a reference.
inline bool Fork(wchar_t*& s, int length) {
    Data* old = DataOf(s);
    const int oldLength = old->dataLength;
    Mgr* mgr = old->mgr->table->Clone(old->mgr);
    Data* fresh = mgr->table->Allocate(mgr, length, sizeof(wchar_t));
    if (fresh == nullptr) return false;
    Note("alloc", fresh);
    const int copy = (oldLength < length ? oldLength : length) + 1;
    std::memcpy(fresh->text(), old->text(), copy * sizeof(wchar_t));
    fresh->dataLength = oldLength;
    Release(old);
    s = fresh->text();
    return true;
}

// Room for `length` characters that the string alone may write to: forks a
// shared block, grows one too short by half again through its own manager.
inline bool PrepareWrite(wchar_t*& s, int length) {
    Data* old = DataOf(s);
    const bool shared = old->refs > 1;
    if (!shared && old->allocLength >= length) return true;
    if (old->dataLength > length) length = old->dataLength;
    if (shared) return Fork(s, length);
    int grown = old->allocLength + old->allocLength / 2;
    if (grown < length) grown = length;
    Data* moved = old->mgr->table->Reallocate(old->mgr, old, grown, sizeof(wchar_t));
    if (moved == nullptr) return false;
    Note("realloc", moved, old);
    s = moved->text();
    return true;
}

inline void Empty(wchar_t*& s) {
    Data* old = DataOf(s);
    if (old->dataLength == 0) return;
    Mgr* mgr = old->mgr;
    if (old->refs < 0) {
        old->dataLength = 0;
        s[0] = L'\0';
        return;
    }
    Release(old);
    s = EmptyOf(mgr);
}

inline bool SetString(wchar_t*& s, const wchar_t* text, int length) {
    if (length == 0) {
        Empty(s);
        return true;
    }
    if (!PrepareWrite(s, length)) return false;
    std::memcpy(s, text, length * sizeof(wchar_t));
    DataOf(s)->dataLength = length;
    s[length] = L'\0';
    return true;
}

// The block a copy of `from` starts with: the same block, one reference
// more, when its manager would hand out the same; else a copy of the text.
inline Data* CloneData(Data* from) {
    Mgr* mgr = from->mgr->table->Clone(from->mgr);
    if (from->refs >= 0 && mgr == from->mgr) {
        InterlockedIncrement(&from->refs);
        return from;
    }
    Data* fresh = mgr->table->Allocate(mgr, from->dataLength, sizeof(wchar_t));
    if (fresh == nullptr) return nullptr;
    Note("alloc", fresh);
    std::memcpy(fresh->text(), from->text(), (from->dataLength + 1) * sizeof(wchar_t));
    fresh->dataLength = from->dataLength;
    return fresh;
}

inline wchar_t* Copy(wchar_t* from) {
    Data* d = CloneData(DataOf(from));
    return d != nullptr ? d->text() : nullptr;
}

// Assignment from another string: shares its block when both have one
// manager, copies the text otherwise.
inline bool Assign(wchar_t*& s, wchar_t* from) {
    Data* src = DataOf(from);
    Data* old = DataOf(s);
    if (src == old) return true;
    if (old->refs < 0 || src->mgr != old->mgr) return SetString(s, from, src->dataLength);
    Data* fresh = CloneData(src);
    if (fresh == nullptr) return false;
    Release(old);
    s = fresh->text();
    return true;
}

inline void Destroy(wchar_t*& s) {
    if (s != nullptr) Release(DataOf(s));
    s = nullptr;
}

}  // namespace fw
