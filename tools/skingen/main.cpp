// skingen SOURCES OUTPUT: draws every skin picture from the SVG sources and design values in
// SOURCES (rc/skin) and the layout tables, into OUTPUT with the resource list skin.qrc.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

#include "tools/skingen/Catalogue.h"

namespace {

bool WriteResourceList(const QString& folder, const std::vector<skingen::Picture>& pictures) {
  QFile file(folder + "/skin.qrc");
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QTextStream out(&file);
  out << "<RCC>\n  <qresource prefix=\"/\">\n";
  for (const skingen::Picture& picture : pictures) out << "    <file>" << picture.path << "</file>\n";
  out << "  </qresource>\n</RCC>\n";
  return true;
}

bool WritePictures(const QString& folder, const std::vector<skingen::Picture>& pictures, QStringList& errors) {
  for (const skingen::Picture& picture : pictures) {
    const QString path = folder + "/" + picture.path;
    QDir().mkpath(QFileInfo(path).path());
    if (!picture.image.save(path, "PNG")) errors << ("cannot write " + path);
  }
  return errors.isEmpty();
}

int Fail(const QStringList& errors) {
  for (const QString& e : errors) std::fprintf(stderr, "skingen: %s\n", qPrintable(e));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  if (argc != 3) return Fail({"usage: skingen SOURCES OUTPUT"});
  const QString sourceFolder = QString::fromLocal8Bit(argv[1]);
  const QString outputFolder = QString::fromLocal8Bit(argv[2]);

  skingen::Design design;
  QString error;
  if (!design.Load(sourceFolder + "/design.json", &error)) return Fail({error});
  skingen::Sources sources(sourceFolder);
  skingen::Context context{design, sources};
  QStringList errors;
  const std::vector<skingen::Picture> pictures = skingen::DrawAll(context, errors);
  for (const QString& name : sources.Missing()) errors << ("missing or broken source " + name + ".svg");
  if (!errors.isEmpty()) return Fail(errors);
  if (!WritePictures(outputFolder, pictures, errors)) return Fail(errors);
  if (!WriteResourceList(outputFolder, pictures)) return Fail({"cannot write " + outputFolder + "/skin.qrc"});
  return 0;
}
