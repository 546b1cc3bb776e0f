// Settings read and written through the real profile API on real INI files.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "settings/Settings.h"

namespace {

struct AllSettings {
    int tray, clip, cr, winmode, left, top, width, height;
    std::string list, lastdir;
};

AllSettings ReadAll(const std::string& ini) {
    SetSettingsPath(ini);
    return {ReadSetting(IntSetting::Tray),    ReadSetting(IntSetting::Clip),   ReadSetting(IntSetting::Cr),
            ReadSetting(IntSetting::WinMode), ReadSetting(IntSetting::Left),   ReadSetting(IntSetting::Top),
            ReadSetting(IntSetting::Width),   ReadSetting(IntSetting::Height), ReadSetting(TextSetting::List),
            ReadSetting(TextSetting::LastDir)};
}

void ExpectSettings(const AllSettings& got, const AllSettings& want, const std::string& file) {
    EXPECT_EQ(got.tray, want.tray) << file;
    EXPECT_EQ(got.clip, want.clip) << file;
    EXPECT_EQ(got.cr, want.cr) << file;
    EXPECT_EQ(got.winmode, want.winmode) << file;
    EXPECT_EQ(got.left, want.left) << file;
    EXPECT_EQ(got.top, want.top) << file;
    EXPECT_EQ(got.width, want.width) << file;
    EXPECT_EQ(got.height, want.height) << file;
    EXPECT_EQ(got.list, want.list) << file;
    EXPECT_EQ(got.lastdir, want.lastdir) << file;
}

const char kAbsent[] = "<no file>";

TEST(Settings, DefaultsAndClampsThroughTheProfileApi) {
    const AllSettings defaults = {0, 0, 1, 3, 400, 60, 192, 360, "list.txt", ""};
    const struct {
        std::string file;
        AllSettings want;
    } cases[] = {
        {kAbsent, defaults},
        {"", defaults},
        {"[other]\r\ntray=1\r\nleft=5\r\n", defaults}, // keys of another section don't count
        {"[pelmar]\r\ntray=\r\nclip=\r\ncr=\r\nwinmode=\r\nleft=\r\ntop=\r\nwidth=\r\nheight=\r\n"
         "list=\r\nlastdir=\r\n",
         {0, 0, 1, 3, 400, 60, 192, 360, "", ""}}, // empty integers give the default, empty texts stay empty
        {"[pelmar]\r\ntray=1\r\nclip=1\r\ncr=2\r\nwinmode=1\r\nleft=10\r\ntop=20\r\nwidth=300\r\nheight="
         "400\r\n"
         "list=C:\\Lists\\a.txt\r\nlastdir=C:\\Lists\r\n",
         {1, 1, 2, 1, 10, 20, 300, 400, "C:\\Lists\\a.txt", "C:\\Lists"}},
        {"[pelmar]\r\ntray=5\r\nclip=9\r\ncr=0\r\nwinmode=0\r\n",
         {0, 2, 1, 0, 400, 60, 192, 360, "list.txt", ""}},
        {"[pelmar]\r\ntray=-1\r\nclip=-1\r\ncr=7\r\nwinmode=7\r\n",
         {0, 0, 2, 7, 400, 60, 192, 360, "list.txt", ""}},
        {"[pelmar]\r\nleft=-1100\r\ntop=-5\r\n", {0, 0, 1, 3, -1100, -5, 192, 360, "list.txt", ""}},
        {"[pelmar]\r\nleft=12px\r\ntop=abc\r\nclip=2x\r\n", {0, 2, 1, 3, 12, 0, 192, 360, "list.txt", ""}},
        {"[PELMAR]\r\nTRAY=1\r\nWidth=222\r\n", {1, 0, 1, 3, 400, 60, 222, 360, "list.txt", ""}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = dir.File("Pelmar.ini");
        if (c.file != kAbsent)
            WriteFileBytes(ini, c.file);
        ExpectSettings(ReadAll(ini), c.want, c.file);
        EXPECT_EQ(FileExists(ini), c.file != kAbsent) << "reading must not create the file";
    }
}

TEST(Settings, WrittenValuesReadBackAsDecimalText) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    SetSettingsPath(ini);
    WriteSetting(IntSetting::Left, -250);
    WriteSetting(IntSetting::WinMode, 3);
    WriteSetting(TextSetting::List, "C:\\x\\list.txt");
    WriteSetting(TextSetting::LastDir, "C:\\x");
    EXPECT_EQ(ReadFileBytes(ini),
              "[pelmar]\r\nleft=-250\r\nwinmode=3\r\nlist=C:\\x\\list.txt\r\nlastdir=C:\\x\r\n");
    EXPECT_EQ(ReadSetting(IntSetting::Left), -250);
    EXPECT_EQ(ReadSetting(TextSetting::List), "C:\\x\\list.txt");
    EXPECT_EQ(ReadSetting(TextSetting::List, "other"), "C:\\x\\list.txt");
    EXPECT_EQ(ReadSetting(TextSetting::LastDir), "C:\\x");
}

TEST(Settings, EveryAccessGoesToTheCurrentSettingsFile) {
    TempDir dir;
    std::string first = dir.File("First.ini"), second = dir.File("Second.ini");
    WriteFileBytes(first, "[pelmar]\r\ntray=1\r\n");
    SetSettingsPath(first);
    EXPECT_EQ(ReadSetting(IntSetting::Tray), 1);
    SetSettingsPath(second);
    EXPECT_EQ(ReadSetting(IntSetting::Tray), 0);
    WriteSetting(IntSetting::Top, 77);
    EXPECT_EQ(ReadIni(second, "top"), "77");
    EXPECT_EQ(ReadIni(first, "top"), "<absent>");
    EXPECT_EQ(SettingsPath(), second);
}

} // namespace
