#pragma once
// The log's object model: a record on its way to a file, and the interface of
// a writing strategy. Portable: the Win32 writer derives from CLogBase.
#include <cstdint>
#include <string>

class CObjectBase {
public:
    CObjectBase() = default;
    virtual ~CObjectBase();
    CObjectBase(const CObjectBase&) = default;
    CObjectBase& operator=(const CObjectBase&) = default;
};

// One record: the log file's name (relative to the log folder) and the text,
// both narrow code page 936 bytes.
class CPacketLog : public CObjectBase {
public:
    CPacketLog() = default;
    ~CPacketLog() override;
    CPacketLog(const CPacketLog&) = default;
    CPacketLog& operator=(const CPacketLog&) = default;

    void SetFileName(std::string fileName) { m_fileName = std::move(fileName); }
    std::string GetFileName() const { return m_fileName; }
    void SetContent(std::string content) { m_content = std::move(content); }
    std::string GetContent() const { return m_content; }

private:
    std::string m_fileName;
    std::string m_content;
};

// A writing strategy. `m_strLogPath` is the log folder, ending in a backslash.
class CLogBase {
public:
    explicit CLogBase(std::wstring logPath);
    virtual ~CLogBase();
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    // Appends one record to the packet's file. Never reports failure.
    virtual void WritePacket(const CPacketLog& packet) = 0;
    // Writes the bytes as "%02X " groups, as the text of one record.
    virtual void WriteHex(const unsigned char* bytes, std::int32_t count, std::string fileName) = 0;
    // Writes `text` as one record of the file `fileName`.
    virtual void WriteText(std::string text, std::string fileName) = 0;

    const std::wstring& GetLogPath() const { return m_strLogPath; }

protected:
    // The shared implementations the concrete strategies forward to.
    void PacketFromText(std::string text, std::string fileName);
    void PacketFromHex(const unsigned char* bytes, std::int32_t count, std::string fileName);

    std::wstring m_strLogPath;
};
