#include "itemcard/reference_files.h"

#include "platform/readers.h"
#include "platform/textnum.h"

#include <QDateTime>
#include <QFileInfo>
#include <cmath>
#include <limits>
#include <map>
#include <unordered_map>

namespace itemcard {
namespace {

// What tells one state of a file on disk from another.
struct FileStamp {
  QString path;
  bool exists = false;
  qint64 size = -1;
  qint64 modified_ms = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp stamp_of(const QString& path) {
  const QFileInfo info(path);
  FileStamp s;
  s.path = info.absoluteFilePath();
  s.exists = info.exists();
  if (s.exists) {
    s.size = info.size();
    s.modified_ms = info.lastModified().toMSecsSinceEpoch();
  }
  return s;
}

// The parsed content of the one file last asked for; parsed again when the
// path or the file changes.
template <typename Table>
class LastFile {
 public:
  using Parser = Table (*)(const QString& text);
  explicit LastFile(Parser parse) : parse_(parse) {}

  const Table& table(const QString& path) {
    FileStamp now = stamp_of(path);
    if (!valid_ || !(now == stamp_)) {
      const std::optional<QString> text = now.exists ? readers::read_text_file(path) : std::nullopt;
      table_ = text ? parse_(*text) : Table{};
      stamp_ = std::move(now);
      valid_ = true;
    }
    return table_;
  }

 private:
  Parser parse_;
  bool valid_ = false;
  FileStamp stamp_;
  Table table_;
};

using SpellTable = std::unordered_map<std::int32_t, QString>;
using RaceTable = std::map<double, QString>;

SpellTable parse_spells(const QString& text) {
  SpellTable names;
  readers::LineReader lines(text);
  while (const std::optional<QString> line = lines.next()) {
    const qsizetype caret = line->indexOf(u'^');
    if (caret < 0) continue;
    const QStringView first = QStringView(*line).left(caret);
    if (!textnum::is_number(first)) continue;
    const double id = textnum::numeric_value(first);
    // Only whole numbers within the identifiers' range can ever be asked for.
    if (id != std::floor(id) || id < std::numeric_limits<std::int32_t>::min() ||
        id > std::numeric_limits<std::int32_t>::max())
      continue;
    const qsizetype end = line->indexOf(u'^', caret + 1);
    // The first line carrying an identifier is the one a search finds.
    names.try_emplace(static_cast<std::int32_t>(id), line->mid(caret + 1, end < 0 ? -1 : end - caret - 1));
  }
  return names;
}

RaceTable parse_races(const QString& text) {
  RaceTable names;
  readers::FieldReader fields(text);
  for (int record = 0; record < kRaceRecords; ++record) {
    const std::optional<QString> number = fields.next();
    const std::optional<QString> name = fields.next();
    if (!number || !name) break;
    // A later record of the same race replaces an earlier one.
    if (!textnum::is_number(*number)) continue;
    const double value = textnum::numeric_value(*number);
    if (!std::isnan(value)) names.insert_or_assign(value, *name);
  }
  return names;
}

LastFile<SpellTable>& spells() {
  static LastFile<SpellTable> file(&parse_spells);
  return file;
}

LastFile<RaceTable>& races() {
  static LastFile<RaceTable> file(&parse_races);
  return file;
}

}  // namespace

std::optional<QString> spell_name(const QString& path, std::int32_t id) {
  const SpellTable& names = spells().table(path);
  const auto it = names.find(id);
  if (it == names.end()) return std::nullopt;
  return it->second;
}

std::optional<QString> race_name(const QString& path, double race) {
  if (std::isnan(race)) return std::nullopt;
  const RaceTable& names = races().table(path);
  const auto it = names.find(race);
  if (it == names.end()) return std::nullopt;
  return it->second;
}

}  // namespace itemcard
