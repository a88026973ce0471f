#include "engine/SourcePath.h"

#include <array>
#include <charconv>
#include <cwchar>

namespace {

struct Named {
  const wchar_t* name;
  int type;
};

constexpr std::array kSchemes{
    Named{L"udp", kSourceUdp},         Named{L"http", kSourceHttp},   Named{L"stream", kSourceStream},
    Named{L"mcast", kSourceMulticast}, Named{L"rmtp", kSourceRmtp},   Named{L"mjpg", kSourceMjpgStream},
    Named{L"dvk2", kSourceRawCard},
};

// In the order they are tested; the empty path comes between ".rec" and ".sd".
constexpr std::array kExtensionsBeforeEmpty{
    Named{L".avi", kSourceAviFile}, Named{L".mjpg", kSourceMjpgFile}, Named{L".rec", kSourceRecFile}};
constexpr std::array kExtensionsAfterEmpty{
    Named{L".sd", kSourceBackupFile}, Named{L".ts", kSourceTransportStream}, Named{L".idx", kSourceIndexFile}};

constexpr std::array<const char*, 8> kDataFiles{"/vdata0.v", "/mdata1.v", "/vdata1.v", "/mdata2.v",
                                                "/vdata2.v", "/mdata3.v", "/vdata3.v", "/mdata4.v"};

constexpr std::uint16_t kHttpPort = 80;
constexpr std::uint16_t kRmtpPort = 10001;

int SchemeType(const CString& scheme) {
  for (const Named& s : kSchemes) {
    if (scheme.CompareNoCase(s.name) == 0) return s.type;
  }
  return kSourceNone;
}

int ExtensionType(const CString& path) {
  for (const Named& e : kExtensionsBeforeEmpty) {
    if (EndsWithNoCase(path, e.name)) return e.type;
  }
  if (path.IsEmpty()) return kSourceNone;
  for (const Named& e : kExtensionsAfterEmpty) {
    if (EndsWithNoCase(path, e.name)) return e.type;
  }
  return kSourceOtherFile;
}

// Decimal digits only, and a value the type holds.
template <typename T>
bool ParseDecimal(const std::string& text, T* value) {
  T parsed = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, parsed);
  if (text.empty() || error != std::errc() || at != end) return false;
  *value = parsed;
  return true;
}

int DataFileIndex(const std::string& path) {
  for (std::size_t i = 0; i < kDataFiles.size(); ++i) {
    if (path == kDataFiles[i]) return static_cast<int>(i / 2);
  }
  return -1;
}

SourceAddress ParseAddress(const CString& path, int schemeEnd) {
  SourceAddress address;
  const int type = SchemeType(path.Left(schemeEnd));
  if (type == kSourceNone) return address;
  const std::string rest = path.Mid(schemeEnd + 3).ToUtf8();
  const std::size_t slash = rest.find('/');
  const std::string hostPort = rest.substr(0, slash);
  const std::size_t colon = hostPort.find(':');
  address.port = type == kSourceHttp ? kHttpPort : type == kSourceRmtp ? kRmtpPort : 0;
  if (colon != std::string::npos && !ParseDecimal(hostPort.substr(colon + 1), &address.port)) return {};
  address.host = hostPort.substr(0, colon);
  if (slash != std::string::npos) address.path = rest.substr(slash);
  if (address.host.size() > SourceAddress::kMaxText || address.path.size() > SourceAddress::kMaxText) return {};
  if (type == kSourceHttp) address.dataFileIndex = DataFileIndex(address.path);
  address.type = type;
  return address;
}

}  // namespace

bool EndsWithNoCase(const CString& path, const wchar_t* ending) {
  const int length = static_cast<int>(std::wcslen(ending));
  return path.GetLength() >= length && path.Right(length).CompareNoCase(ending) == 0;
}

SourceAddress ParseSourcePath(const CString& path) {
  const int schemeEnd = path.Find(L"://");
  if (schemeEnd >= 0) return ParseAddress(path, schemeEnd);
  SourceAddress address;
  address.type = ExtensionType(path);
  return address;
}

bool ParseDriveNumber(const std::string& host, unsigned* driveNo) { return ParseDecimal(host, driveNo); }
