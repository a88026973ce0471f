// What a source path names: the kind of source, and for an address ("scheme://host:port/path")
// its host, port and path. Only the card sources (raw card, `.sd` backup, `.idx` index) and
// transport-stream files can be played; the network and other file kinds are recognised so that
// they can be refused.
#pragma once

#include <cstdint>
#include <string>

#include "engine/store/CardStore.h"
#include "platform/String.h"

// Source types besides the playable ones of CardStore.h (11 to 14).
constexpr int kSourceNone = 0;
constexpr int kSourceOtherFile = 1;
constexpr int kSourceAviFile = 2;
constexpr int kSourceUdp = 3;
constexpr int kSourceHttp = 4;
constexpr int kSourceStream = 5;
constexpr int kSourceMulticast = 6;
constexpr int kSourceRmtp = 7;
constexpr int kSourceMjpgStream = 8;
constexpr int kSourceMjpgFile = 9;
constexpr int kSourceRecFile = 10;

constexpr bool IsPlayableSource(int type) { return type >= kSourceRawCard && type <= kSourceIndexFile; }
// The sources read through a card store (and so the ones a job can read).
constexpr bool IsCardStoreSource(int type) {
  return type == kSourceRawCard || type == kSourceBackupFile || type == kSourceIndexFile;
}

struct SourceAddress {
  // Host and path texts are at most this many bytes; a longer one refuses the address.
  static constexpr std::size_t kMaxText = 259;

  int type = kSourceNone;
  std::string host;  // a raw card: its drive number
  std::uint16_t port = 0;
  std::string path = "/vdata.v";
  int dataFileIndex = -1;  // http: which of the recorder's four data files the path names
};

// Parses a path trimmed of white space. With "://" the scheme (compared without case) gives the
// type; a port that is not a decimal number up to 65535, or a host or path text longer than
// kMaxText, refuses the address (type 0). Without "://" the extension gives the type.
SourceAddress ParseSourcePath(const CString& path);

// True when the path ends with `ending`, compared without case.
bool EndsWithNoCase(const CString& path, const wchar_t* ending);

// The drive number of a raw card's host text: decimal digits only, no more than an unsigned holds.
bool ParseDriveNumber(const std::string& host, unsigned* driveNo);
