#include "netinfo/windows/IpHelperAdapterSource.h"

// clang-format off: winsock2.h must come before iphlpapi.h
#include <iphlpapi.h>
#include <winsock2.h>
// clang-format on

#include <cstring>
#include <string>

#include "common/Utf8Path.h"

namespace kestrove {
namespace {

// A fixed-size text field of the record: the characters before the first NUL, never beyond
// the field even when the NUL is missing.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, ::strnlen(field, N));
}

// The record's texts are in the system's ANSI code page (CP932 on a Japanese system).
std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) {
        return {};
    }
    int n =
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return PathToUtf8(std::filesystem::path(wide));
}

}  // namespace

IpHelperAdapterSource::IpHelperAdapterSource()
    : getInfo_([](void* info, unsigned long* size) {
          return static_cast<unsigned long>(
              ::GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(info), size));
      }) {}

AdapterQueryStatus IpHelperAdapterSource::Read(std::vector<AdapterRecord>& adapters) {
    adapters.clear();
    unsigned long size = 0;
    IP_ADAPTER_INFO probe{};
    switch (getInfo_(&probe, &size)) {
        case ERROR_NOT_SUPPORTED:
            return AdapterQueryStatus::NotSupported;
        case ERROR_INVALID_PARAMETER:
            return AdapterQueryStatus::InvalidParameter;
        case ERROR_NO_DATA:
            return AdapterQueryStatus::NoAdapter;
        case ERROR_BUFFER_OVERFLOW:
            break;
        default:
            return AdapterQueryStatus::Failed;
    }
    // Records are read through their own type, so the buffer must be aligned for it.
    std::vector<IP_ADAPTER_INFO> buffer(size / sizeof(IP_ADAPTER_INFO) + 1);
    size = static_cast<unsigned long>(buffer.size() * sizeof(IP_ADAPTER_INFO));
    if (getInfo_(buffer.data(), &size) != NO_ERROR) {
        return AdapterQueryStatus::Failed;
    }
    for (const IP_ADAPTER_INFO* info = buffer.data(); info != nullptr; info = info->Next) {
        AdapterRecord record;
        record.description = AnsiToUtf8(FieldText(info->Description));
        UINT length = info->AddressLength > MAX_ADAPTER_ADDRESS_LENGTH ? MAX_ADAPTER_ADDRESS_LENGTH
                                                                       : info->AddressLength;
        record.mac = MacAddress::FromBytes(info->Address, length);
        record.interfaceIndex = static_cast<int>(info->Index);
        record.ipAddress = FieldText(info->IpAddressList.IpAddress.String);
        record.ipMask = FieldText(info->IpAddressList.IpMask.String);
        if (record.ipAddress.empty()) {
            record.ipAddress = "0.0.0.0";
        }
        if (record.ipMask.empty()) {
            record.ipMask = "0.0.0.0";
        }
        adapters.push_back(std::move(record));
    }
    return adapters.empty() ? AdapterQueryStatus::NoAdapter : AdapterQueryStatus::Ok;
}

}  // namespace kestrove
