#include "ui/MapPage.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "layout/SkinIds.h"
#include "platform/OutputFile.h"

// The template lives in this library's resources, which a program registers when it first asks.
static void RegisterTemplate() {
  [[maybe_unused]] static const bool registered = [] {
    Q_INIT_RESOURCE(mappage);
    return true;
  }();
}

namespace mappage {
namespace {

constexpr char kTemplatePath[] = ":/mappage/mapdlg.htm";
// The map API's version query, before which the key goes.
constexpr char kVersionQuery[] = "v=3.";
// The query is looked for only where more than this many bytes remain.
constexpr qsizetype kTailAfterQuery = 16;

bool IsKeyCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

qsizetype FindVersionQuery(const QByteArray& page) {
  const qsizetype at = page.indexOf(kVersionQuery);
  return at >= 0 && page.size() - at > kTailAfterQuery ? at : -1;
}

}  // namespace

QByteArray TemplateBytes(UINT resourceId) {
  if (resourceId != kTemplateResource) return {};
  RegisterTemplate();
  QFile file(kTemplatePath);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TemplateAddress() {
  RegisterTemplate();
  return kTemplatePath;
}

bool IsValidKey(std::string_view key) { return !key.empty() && std::all_of(key.begin(), key.end(), IsKeyCharacter); }

bool WriteMapPage(UINT resourceId, const CString& path, std::string_view key) {
  return WriteKeyedPage(TemplateBytes(resourceId), path, key);
}

bool WriteKeyedPage(const QByteArray& page, const CString& path, std::string_view key) {
  const qsizetype at = FindVersionQuery(page);
  if (at < 0 || !IsValidKey(key)) return false;
  QByteArray keyed = page.left(at);
  keyed += "key=" + QByteArray(key.data(), static_cast<qsizetype>(key.size())) + "&";
  keyed += page.mid(at);
  // The page carries the user's key: only its owner reads it.
  return plat::ReplaceFile(path.ToUtf8(), keyed.toStdString(), plat::OutputReaders::kOwner);
}

bool MakeDirectories(const CString& path) {
  const std::filesystem::path folder = std::filesystem::path(path.ToUtf8()).parent_path();
  if (folder.empty()) return true;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

std::vector<MarkerPicture> MarkerPictures() {
  QStringList paths{ui::kMapStartMarker, ui::kMapEndMarker};
  for (int heading = 0; heading < ui::kMapHeadingCount; ++heading) {
    paths << QString::asprintf(ui::kMapCarMarkerPattern, heading);
  }
  std::vector<MarkerPicture> pictures;
  for (const QString& path : paths) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) pictures.push_back({QFileInfo(path).fileName(), file.readAll()});
  }
  return pictures;
}

}  // namespace mappage
