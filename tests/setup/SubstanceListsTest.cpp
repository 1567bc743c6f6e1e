#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/Errors.h"
#include "core/Language.h"
#include "setup/SubstanceLists.h"
#include "support/Files.h"

using namespace zelvo;
using L = TSubstanceList;
using State = TListFileState;

namespace {

void Put(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST(SubstanceLists, RoundTripKeepsUmlautsAsWindows1252WithCrLf) {
  QTemporaryDir dir;
  const QList<TSubstance> entries = {
      {"Ölsäure", "1,5"}, {"Äthylacetat", "2.40"}, {"Weiß-Öl", ""}, {"Toluol", "0,95"}};
  const TSubstanceListSave save = SaveSubstanceList(dir.path(), L::CH, State::Absent, entries, kGermanOffset);
  EXPECT_TRUE(save.Written);
  EXPECT_EQ(save.State, State::Loaded);
  EXPECT_TRUE(save.Problems.isEmpty());
  // Ö D6, ä E4, Ä C4, ß DF: one byte each.
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")),
            QByteArray("\xD6ls\xE4ure=1,5\r\n\xC4thylacetat=2.40\r\nWei\xDF-\xD6l=\r\nToluol=0,95\r\n"));

  const TSubstanceListLoad load = LoadSubstanceList(dir.path(), L::CH, kGermanOffset);
  EXPECT_EQ(load.State, State::Loaded);
  EXPECT_TRUE(load.Problems.isEmpty());
  EXPECT_EQ(load.Entries, entries);
}

TEST(SubstanceLists, LinesSplitAtTheFirstEqualsSignAndNamesStayUnique) {
  QTemporaryDir dir;
  Put(dir.filePath("S-Substanzen.txt"),
      "THT=1,00\r\nH2S=a=b\r\nOhneFaktor\r\n\r\nTHT=9,99\n  \nMethanthiol=1,2");
  const TSubstanceListLoad load = LoadSubstanceList(dir.path(), L::S, kEnglishOffset);
  EXPECT_EQ(load.State, State::Loaded);
  EXPECT_EQ(load.Entries,
            (QList<TSubstance>{{"THT", "1,00"}, {"H2S", "a=b"}, {"OhneFaktor", ""}, {"Methanthiol", "1,2"}}));
  EXPECT_EQ(load.Problems,
            QStringList("S-Substanzen.txt, line 5: \"THT\" is already in the list, the line is left out."));
}

// One list file missing at start-up must not cost the lab its other list, nor the list
// whose file is there but unreadable.
TEST(SubstanceLists, OnlyAListReadAtStartUpOrWithoutAFileIsSaved) {
  QTemporaryDir dir;
  const QByteArray labList = "THT=1,00\r\nH2S=1,30\r\n";
  Put(dir.filePath("S-Substanzen.txt"), labList);

  // The CH file is gone: the start content is shown and may be saved, which creates the file.
  const TSubstanceListLoad ch = LoadSubstanceList(dir.path(), L::CH, kGermanOffset);
  EXPECT_EQ(ch.State, State::Absent);
  EXPECT_EQ(ch.Entries, SubstanceListStart(L::CH));
  EXPECT_EQ(ch.Problems.size(), 1);
  EXPECT_TRUE(SaveSubstanceList(dir.path(), L::CH, ch.State, ch.Entries, kGermanOffset).Written);
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")), "Aceton=2,05\r\n");

  // A list the start-up never came to keeps its start content on screen; the lab's file stays.
  TSubstanceListSave s =
      SaveSubstanceList(dir.path(), L::S, State::NotLoaded, SubstanceListStart(L::S), kGermanOffset);
  EXPECT_FALSE(s.Written);
  EXPECT_EQ(s.State, State::NotLoaded);
  EXPECT_EQ(Bytes(dir.filePath("S-Substanzen.txt")), labList);

  // A file that is there but cannot be read is never written over.
  QDir(dir.path()).mkdir("sub");
  const QString sub = dir.filePath("sub");
  QDir(sub).mkdir("S-Substanzen.txt");
  const TSubstanceListLoad unreadable = LoadSubstanceList(sub, L::S, kGermanOffset);
  EXPECT_EQ(unreadable.State, State::Unreadable);
  EXPECT_EQ(unreadable.Entries, SubstanceListStart(L::S));
  EXPECT_EQ(unreadable.Problems.size(), 1);
  s = SaveSubstanceList(sub, L::S, unreadable.State, unreadable.Entries, kGermanOffset);
  EXPECT_FALSE(s.Written);
  EXPECT_TRUE(QFileInfo(dir.filePath("sub/S-Substanzen.txt")).isDir());
}

// Only a list the operator changed is saved, and only over a file read or absent.
TEST(SubstanceLists, SavedOnlyWhenChanged) {
  const QList<TSubstance> read{{"THT", "1,00"}, {"H2S", "1,30"}};
  const QList<TSubstance> changed{{"THT", "1,10"}, {"H2S", "1,30"}};
  struct Case {
    State state;
    const QList<TSubstance> &now;
    bool save;
  } cases[] = {
      {State::Loaded, read, false},     {State::Loaded, changed, true},
      {State::Absent, read, false},     {State::Absent, changed, true},
      {State::NotLoaded, changed, false}, {State::Unreadable, changed, false},
  };
  for (const Case &c : cases) EXPECT_EQ(SubstanceListToSave(c.state, read, c.now), c.save) << int(c.state);
}

TEST(SubstanceLists, FailedSaveLeavesThePreviousFile) {
  QTemporaryDir dir;
  Put(dir.filePath("CH-Substanzen.txt"), "Aceton=2,05\r\n");
  // The temporary file's place is taken by a folder: the replacement cannot be made.
  QDir(dir.path()).mkdir("CH-Substanzen.txt.tmp");
  QDir(dir.filePath("CH-Substanzen.txt.tmp")).mkdir("x");
  EXPECT_THROW(SaveSubstanceList(dir.path(), L::CH, State::Loaded, {{"Toluol", "0,95"}}, kGermanOffset),
               EFileError);
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")), "Aceton=2,05\r\n");
}

TEST(SubstanceLists, EntriesTheFileCannotHoldAsTheyAreAreReported) {
  QTemporaryDir dir;
  const TSubstanceListSave save =
      SaveSubstanceList(dir.path(), L::CH, State::Loaded,
                        {{"α-Pinen", "1,1"}, {"a=b", "2"}, {"Zeilen\r\numbruch", "3"}}, kEnglishOffset);
  EXPECT_TRUE(save.Written);
  EXPECT_EQ(
      save.Problems,
      QStringList(
          {"CH-Substanzen.txt: \"α-Pinen=1,1\" holds characters the file cannot keep (stored as \"?\").",
           "CH-Substanzen.txt: the name \"a=b\" contains \"=\" and will be split there when read."}));
  EXPECT_EQ(Bytes(dir.filePath("CH-Substanzen.txt")), "?-Pinen=1,1\r\na=b=2\r\nZeilen umbruch=3\r\n");
}

TEST(SubstanceLists, DefaultFilesHoldTheStartContent) {
  for (L list : {L::CH, L::S}) {
    const QString path = SubstanceListPath(ZELVO_SOURCE_DIR "/resources", list);
    const TSubstanceListLoad load = LoadSubstanceList(ZELVO_SOURCE_DIR "/resources", list, kGermanOffset);
    EXPECT_EQ(load.Entries, SubstanceListStart(list));
    EXPECT_EQ(Bytes(path), list == L::CH ? "Aceton=2,05\r\n" : "THT=1,00\r\n");
  }
}
