#include <gtest/gtest.h>

#include <string>

#include "ScriptedQuestions.h"
#include "TempDir.h"
#include "app/CloseQuery.h"
#include "app/Recovery.h"
#include "app/RecoveryFixture.h"
#include "objects/SetCells.h"

namespace hl {
namespace {

using Reply = Questions::Reply;
using test::Record;

class SetsCloseQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sets_.FileName = dir_.File("kel.set");
    sets_.ReplaceSet(0, TObjectSet{Record(0, 0, -1, 4), Record(1, 0, 2, -1)});
  }
  std::string Question() const { return "Save the object sets to \"" + sets_.FileName + "\" ?"; }

  test::TempDir dir_;
  ObjectSetList sets_;
  test::ScriptedQuestions q_;
};

TEST_F(SetsCloseQueryTest, UnchangedSetsCloseWithoutAQuestion) {
  ObjectSetList untouched;
  EXPECT_TRUE(SetsCloseQuery(untouched, q_));
  ASSERT_TRUE(untouched.SaveSets(dir_.File("saved.set")));
  untouched.ReplaceSet(0, TObjectSet{});
  ASSERT_TRUE(untouched.SaveSets(dir_.File("saved.set")));
  EXPECT_TRUE(SetsCloseQuery(untouched, q_));
  EXPECT_TRUE(q_.Asked.empty());
}

TEST_F(SetsCloseQueryTest, CancelStaysOpenAndNoClosesWithoutWriting) {
  q_.Replies = {Reply::Cancel, Reply::No};
  EXPECT_FALSE(SetsCloseQuery(sets_, q_));
  EXPECT_TRUE(SetsCloseQuery(sets_, q_));
  EXPECT_EQ(q_.Asked, (std::vector<std::string>{Question(), Question()}));
  EXPECT_FALSE(test::FileExists(sets_.FileName));
  EXPECT_TRUE(sets_.Changed());
}

TEST_F(SetsCloseQueryTest, YesSavesToTheFileTheSetsCameFrom) {
  q_.Replies = {Reply::Yes};
  EXPECT_TRUE(SetsCloseQuery(sets_, q_));
  EXPECT_FALSE(sets_.Changed());
  ObjectSetList saved;
  std::string error;
  ASSERT_TRUE(saved.LoadSets(dir_.File("kel.set"), &error)) << error;
  ASSERT_EQ(saved.Items.size(), 1u);
  EXPECT_EQ(*saved.GetSet(0), *sets_.GetSet(0));
}

TEST_F(SetsCloseQueryTest, AFailedSaveIsReportedAndKeepsTheEditorOpen) {
  sets_.FileName = dir_.File("no/such/folder/kel.set");
  q_.Replies = {Reply::Yes};
  EXPECT_FALSE(SetsCloseQuery(sets_, q_));
  ASSERT_EQ(q_.Messages.size(), 1u);
  EXPECT_FALSE(q_.Messages[0].empty());
  EXPECT_TRUE(sets_.Changed());
}

class EditorCloseQueryTest : public test::RecoveryTest {
 protected:
  void SetUp() override {
    e_.Commands.SetModified(true);
    sets_.FileName = dir_.File("kel.set");
    sets_.ReplaceSet(0, TObjectSet{Record(0, 0, -1, 4)});
    ASSERT_TRUE(store_.WriteNow(e_.Commands, *e_.Doc, 0));
  }
  test::Editor e_;
  ObjectSetList sets_;
  RecoveryStore store_{folder_};
};

TEST_F(EditorCloseQueryTest, TheMapIsAskedFirstAndACancelKeepsTheRecoveryCopy) {
  e_.Q.Replies = {Reply::Cancel};
  EXPECT_FALSE(EditorCloseQuery(e_.Commands, sets_, store_, e_.Q));
  EXPECT_EQ(e_.Q.Asked, std::vector<std::string>{"Would you like to save ?"});
  EXPECT_TRUE(store_.HasCopy());

  e_.Q.Asked.clear();
  e_.Q.Replies = {Reply::No, Reply::Cancel};
  EXPECT_FALSE(EditorCloseQuery(e_.Commands, sets_, store_, e_.Q));
  ASSERT_EQ(e_.Q.Asked.size(), 2u);
  EXPECT_EQ(e_.Q.Asked[1], "Save the object sets to \"" + sets_.FileName + "\" ?");
  EXPECT_TRUE(store_.HasCopy());
}

TEST_F(EditorCloseQueryTest, ClosingDropsTheRecoveryCopy) {
  e_.Q.Replies = {Reply::No, Reply::No};
  EXPECT_TRUE(EditorCloseQuery(e_.Commands, sets_, store_, e_.Q));
  EXPECT_FALSE(store_.HasCopy());
  EXPECT_EQ(test::ListDirectory(folder_).size(), 1u);  // only this editor's lock
}

}  // namespace
}  // namespace hl
