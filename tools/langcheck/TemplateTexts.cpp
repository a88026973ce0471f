#include "tools/langcheck/TemplateTexts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "tools/langcheck/Scripts.h"

namespace langcheck {
namespace {

void AddText(std::vector<TextUse>& uses, const QJsonValue& text, const std::string& where) {
  const std::wstring value = text.toString().toStdWString();
  if (HasLetter(value)) uses.push_back({value, where});
}

void AddTemplate(std::vector<TextUse>& uses, const std::filesystem::path& file, const std::string& shown) {
  QFile in(QString::fromStdString(file.string()));
  if (!in.open(QIODevice::ReadOnly)) return;
  const QJsonObject dialog = QJsonDocument::fromJson(in.readAll()).object();
  AddText(uses, dialog.value("title"), shown + ": title");
  for (const QJsonValue& control : dialog.value("controls").toArray()) {
    const QJsonObject c = control.toObject();
    AddText(uses, c.value("text"), shown + ": control " + std::to_string(c.value("id").toInt()));
  }
}

}  // namespace

std::vector<TextUse> FindTemplateTexts(const std::filesystem::path& folder, const std::filesystem::path& root) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".json") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<TextUse> uses;
  for (const auto& file : files) AddTemplate(uses, file, std::filesystem::relative(file, root).generic_string());
  return uses;
}

}  // namespace langcheck
