#include "shared/settings.h"
#include "shared/shared.h"
#include "support/shared_state.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using testing_support::ProgramEnded;
using testing_support::RecordingIO;

namespace {

// Runs read_db_ini in a folder of its own holding the given db.ini bytes
// (none when `bytes` is null).
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_settings = DbSettings{};
    saved_ = QDir::currentPath();
    ASSERT_TRUE(dir_.isValid());
    QDir::setCurrent(dir_.path());
    set_operator_io(&io_);
  }
  void TearDown() override {
    set_operator_io(nullptr);
    QDir::setCurrent(saved_);
    db_settings = DbSettings{};
  }
  void write(const QByteArray& bytes) {
    QFile f(dir_.filePath(QStringLiteral("db.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  // True when the settings loaded; false when the program ended with the message.
  bool load() {
    try {
      read_db_ini();
      return true;
    } catch (const ProgramEnded&) {
      EXPECT_EQ(io_.messages.size(), 1u);
      if (!io_.messages.empty()) {
        EXPECT_EQ(io_.messages.back(), u"DB.INI Invalid or Missing");
      }
      return false;
    }
  }
  RecordingIO io_;
  QTemporaryDir dir_;
  QString saved_;
};

TEST_F(SettingsTest, UsualLayoutOneFieldPerLine) {
  write(
      "SRVR=db.example;PORT=3307\r\nUSER=admin\r\nPASSWORD=secret\r\nDATABASE=lootworld\r\nDATA_FOLDER_PATH=C:"
      "\\loot\r\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.server, u"db.example;PORT=3307");
  EXPECT_EQ(db_settings.user, u"admin");
  EXPECT_EQ(db_settings.password, u"secret");
  EXPECT_EQ(db_settings.database, u"lootworld");
  EXPECT_EQ(db_settings.data_folder, u"C:\\loot\\");
  EXPECT_TRUE(io_.messages.empty());
}

TEST_F(SettingsTest, LabelsAreSkippedByLengthWhateverTheySay) {
  // Five characters of anything, then the server name.
  write("12345myhost\nxxxxxu\n#########pw\n?????????db\n12345678901234567/data");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.server, u"myhost");
  EXPECT_EQ(db_settings.user, u"u");
  EXPECT_EQ(db_settings.data_folder, u"/data\\");
}

TEST_F(SettingsTest, EmptyUserAndDataFolderAreAccepted) {
  write("HOST=h\nUSER=\nPASSWORD=p\nDATABASE=d\nDATA_FOLDER_PATH=\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.user, u"");
  EXPECT_EQ(db_settings.data_folder, u"\\");
}

TEST_F(SettingsTest, MissingShortOrIncompleteFilesEndTheProgram) {
  EXPECT_FALSE(load());  // no file at all
  EXPECT_TRUE(db_settings.server.isEmpty());
}

TEST_F(SettingsTest, FiveCharacterFirstLineGivesAnEmptyServer) {
  write("HOST=\nUSER=u\nPASSWORD=p\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  EXPECT_FALSE(load());
}

TEST_F(SettingsTest, FourFieldsEndTheProgram) {
  write("HOST=h\nUSER=u\nPASSWORD=p\nDATABASE=d\n");
  EXPECT_FALSE(load());
}

TEST_F(SettingsTest, EmptyFileEndsTheProgram) {
  write("");
  EXPECT_FALSE(load());
}

TEST_F(SettingsTest, UnquotedCommaShiftsEveryLaterField) {
  // "ss" becomes field 4, too short to hold a database name.
  write("HOST=h\nUSER=u\nPASSWORD=pa,ss\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  EXPECT_FALSE(load());
}

TEST_F(SettingsTest, QuotedFieldsKeepCommasAndLineBreaks) {
  write("HOST=h\nUSER=u\n\"PASSWORD=pa,ss\nword\"\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.password, u"pa,ss\nword");
  EXPECT_EQ(db_settings.database, u"d");
}

TEST_F(SettingsTest, OnlyTheFirstSuccessfulReadCounts) {
  write("HOST=first\nUSER=u\nPASSWORD=p\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  ASSERT_TRUE(load());
  write("HOST=second\nUSER=u\nPASSWORD=p\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.server, u"first");
  QFile::remove(dir_.filePath(QStringLiteral("db.ini")));
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.server, u"first");
}

TEST_F(SettingsTest, HostileBytesEitherLoadOrEndCleanly) {
  QByteArray binary;
  for (int i = 0; i < 4096; ++i) binary.append(static_cast<char>((i * 131) % 256));
  write(binary);
  load();
  db_settings = DbSettings{};
  io_.messages.clear();
  write(QByteArray(1 << 20, 'A') + "\nUSER=u\nPASSWORD=p\nDATABASE=d\nDATA_FOLDER_PATH=x\n");
  ASSERT_TRUE(load());
  EXPECT_EQ(db_settings.server.size(), (1 << 20) - 5);
}

TEST_F(SettingsTest, ControlCharactersInAFieldRefuseTheFile) {
  const testing_support::ServerInfo server = testing_support::server_info();
  const QByteArray labels[5] = {"SRVR=", "USER=", "PASSWORD=", "DATABASE=", "DATA_FOLDER_PATH="};
  const QByteArray values[5] = {"127.0.0.1;PORT=" + QByteArray::number(server.port), server.user.toUtf8(),
                                server.password.toUtf8(), "information_schema", "data"};
  const auto file = [&](int field, const QByteArray& inserted) {
    QByteArray text;
    for (int i = 0; i < 5; ++i) {
      QByteArray value = values[i];
      if (i == field) value.insert(2, inserted);
      text += labels[i] + value + "\r\n";
    }
    return text;
  };
  // The file as it is reaches the server as the user it names.
  write(file(-1, {}));
  ASSERT_TRUE(load());
  open_db(db_rs, db_conn);
  db_rs.open(QStringLiteral("SELECT CURRENT_USER()"), db_conn);
  EXPECT_TRUE(db_rs.field(0).text().startsWith(server.user + u'@')) << db_rs.field(0).text().toStdString();
  testing_support::reset_shared_state();

  // A control character in any field would cut or bend the connection
  // string: the file is refused as a whole.
  for (int field = 0; field < 5; ++field) {
    for (const QByteArray& c :
         {QByteArray(1, '\0'), QByteArray("\x01"), QByteArray("\t"), QByteArray("\x1b"), QByteArray("\x7f")}) {
      SCOPED_TRACE(testing::Message() << "field " << field + 1 << ", character " << int(c[0]));
      db_settings = DbSettings{};
      io_.messages.clear();
      write(file(field, c));
      EXPECT_FALSE(load());
      EXPECT_TRUE(db_settings.server.isEmpty());
    }
  }
}

TEST(SettingsParse, CommaShiftMakesTheDatabaseEmpty) {
  DbSettings s;
  EXPECT_FALSE(parse_db_ini(QStringLiteral("HOST=h\nUSER=u\nPASSWORD=pa,ss\nDATABASE=d\nDATA_FOLDER_PATH=x\n"), s));
  EXPECT_TRUE(parse_db_ini(QStringLiteral("HOST=h\nUSER=u\nPASSWORD=pa,123456789ss\nDATABASE=d\n"), s));
  EXPECT_EQ(s.database, u"ss");
  EXPECT_EQ(s.data_folder, u"\\");  // "DATABASE=d" is 10 characters, shorter than 18
}

TEST(NativePath, BothSlashesSeparateFolders) {
  EXPECT_EQ(native_path(QStringLiteral("\\deaththeme.mp3")), u"/deaththeme.mp3");
  EXPECT_EQ(native_path(QStringLiteral("/srv/loot\\deaththeme.mp3")), u"/srv/loot/deaththeme.mp3");
  EXPECT_EQ(native_path(QStringLiteral("/srv/loot/\\deaththeme.mp3")), u"/srv/loot/deaththeme.mp3");
}

}  // namespace
