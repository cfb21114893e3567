#pragma once
// AES block cipher (forward direction only) and the counter mode in which the
// launcher clients encipher their device information. Portable: no Windows
// headers, so the decisions can be tested natively.
#include <cstddef>
#include <cstdint>

class CAes {
public:
    CAes();

    // Expands a 16-, 24- or 32-byte key. A null key or any other length leaves
    // the object as it was.
    void MakeKey(const unsigned char* key, int keyLength);

    // Stores the initial counter block; null forgets it.
    void SetCounter(const unsigned char* block);

    // Counter mode: output = input XOR AES(counter), one 16-byte block at a
    // time, the counter starting from the stored block on every call. Does
    // nothing unless key and counter are set and the length is a non-zero
    // multiple of 16. Input and output may be the same buffer.
    void CtrCrypt(const unsigned char* input, unsigned char* output, size_t length) const;

    // One block through the forward cipher; does nothing without a key.
    void EncryptBlock(const unsigned char input[16], unsigned char output[16]) const;

    // Adds one to a counter block whose byte 0 is the least significant.
    static void IncrementCounter(unsigned char block[16]);

    bool KeyReady() const { return m_bKeyReady != 0; }
    bool CounterReady() const { return m_bCounterReady != 0; }
    int KeyLength() const { return m_keyLength; }
    int Rounds() const { return m_rounds; }

private:
    unsigned char m_bKeyReady;
    int32_t m_keyLength;
    int32_t m_rounds;
    uint32_t m_roundKeys[60];  // (rounds + 1) round keys of four words
    unsigned char m_bCounterReady;
    unsigned char m_counter[16];
};
