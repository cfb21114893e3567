#include "log/LogBase.h"

#include "log/LogCore.h"

#include <utility>

CObjectBase::~CObjectBase() = default;
CPacketLog::~CPacketLog() = default;

CLogBase::CLogBase(std::wstring logPath) : m_strLogPath(std::move(logPath)) {}
CLogBase::~CLogBase() = default;

void CLogBase::PacketFromText(std::string text, std::string fileName) {
    CPacketLog packet;
    packet.SetContent(std::move(text));
    packet.SetFileName(std::move(fileName));
    WritePacket(packet);
}

void CLogBase::PacketFromHex(const unsigned char* bytes, std::int32_t count, std::string fileName) {
    // Hexadecimal digits and blanks are the same bytes in every code page.
    PacketFromText(hrlog::FormatHexBytes(bytes, count), std::move(fileName));
}
