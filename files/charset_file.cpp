#include "charset_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

#include "charset_format.h"
#include "core/screen.h"
#include "core/substitution_table.h"
#include "core/windows1251.h"
#include "whole_file.h"

namespace runemill {
namespace {

constexpr std::string_view kTypePattern = "Charset (*.charset)|*.charset";

// Fetched on every call: the working directory may have changed since.
std::string DefaultPath() {
  std::string path = QFile::encodeName(QDir::currentPath()).toStdString();
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path;
}

// Paths are in the file system's encoding, messages in the code page; what
// the code page lacks shows as '?', one for each character.
ByteString PathInWindows1251(const std::string& path) {
  const QList<uint> characters = QFile::decodeName(QByteArray::fromStdString(path)).toUcs4();
  ByteString text;
  text.reserve(static_cast<std::size_t>(characters.size()));
  for (uint c : characters) {
    text.push_back(
        static_cast<char>(c > 0xFFFF ? '?' : UnicodeToWindows1251(static_cast<char16_t>(c))));
  }
  return text;
}

void ShowFileError(std::string_view what_utf8, const std::string& path) {
  ShowMessage(Windows1251FromUtf8("Ошибка"),
              Windows1251FromUtf8(what_utf8) + "\n" + PathInWindows1251(path));
}

}  // namespace

void SaveCharsetFile() {
  std::string path =
      AskSavePath(Windows1251FromUtf8("Сохранить файл как"), DefaultPath(), kTypePattern, 0);
  if (path.empty()) return;
  path = WithCharsetExtension(std::move(path));
  if (!WriteWholeFile(path, WriteCharsetText(ProgramTable()))) {
    ShowFileError("Ошибка создания файла", path);
  }
}

void LoadCharsetFile() {
  const std::string path =
      AskOpenPath(Windows1251FromUtf8("Открыть файл"), DefaultPath(), kTypePattern, 0);
  if (path.empty()) return;
  // Read whole first: a file that fails half-way must not leave half a table.
  const std::optional<std::string> bytes = ReadWholeFile(path, kMaxCharsetFileSize);
  if (!bytes) {
    ShowFileError("Ошибка чтения", path);
    return;
  }
  SubstitutionTable& table = ProgramTable();
  ReadCharsetLines(*bytes, [&table](std::uint8_t index, std::string_view entry) {
    table.SetEntry(index, entry);
    SetFieldText(index, entry);
  });
}

}  // namespace runemill
