// The document without any widget: what a load, a save and a renumbering do
// to the patch, its file and its undo steps, and the questions asked before
// anything is lost or replaced.
#include <QTest>
#include <QUndoStack>
#include <filesystem>

#include "AppFixture.h"
#include "PatchDocument.h"

using namespace permuto;
using namespace permuto::test;

namespace {

class Document : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        QObject::connect(&Doc, &TPatchDocument::Message, [this](const QString& Text) { Messages << Text; });
    }

    TPatchDocument Doc;
    QStringList Messages;
};

} // namespace

TEST_F(Document, AFailedOrCancelledLoadChangesNothing)
{
    const std::string A = Copy("full.pch", "A.pch");
    struct TCase {
        std::string File;
        std::string Error;
    };
    const TCase Bad[] = {
        {Dir.File("missing.pch"), "Cannot open file \"" + Dir.File("missing.pch") + "\". No such file or directory"},
        {Write("text.pch", "Dear diary,\nnothing here.\n"),
         "\"" + Dir.File("text.pch") + "\" is no patch: it has no version line with a line after it"},
        {Write("empty.pch", ""), "\"" + Dir.File("empty.pch") + "\" is empty"},
        {Write("bare.pch", "Version=x\r\n0\r\n"),
         "\"" + Dir.File("bare.pch") + "\" does not look like a patch: it holds no patch section"},
        {Dir.Path(), "Cannot open file \"" + Dir.Path() + "\". Is a directory"},
    };
    for (const TCase& C : Bad) {
        EXPECT_FALSE(Doc.Open(Q(C.File)));
        EXPECT_EQ(Errors.last().toStdString(), C.Error);
        EXPECT_FALSE(Doc.HasPatch());
    }

    ASSERT_TRUE(Doc.Open(Q(A)));
    ASSERT_TRUE(Doc.Swap(AreaPoly, 2, 5));
    const std::string Swapped = SavedText(Doc.Patch());
    for (const TCase& C : Bad)
        EXPECT_FALSE(Doc.Open(Q(C.File))); // read first and refused: nothing is asked
    EXPECT_TRUE(Questions.isEmpty());
    EXPECT_FALSE(Doc.Open(Q(DataFile("shuffled.pch")))); // Cancel at the question
    EXPECT_EQ(Questions.size(), 1);
    EXPECT_EQ(Doc.FileName(), Q(A));
    EXPECT_EQ(SavedText(Doc.Patch()), Swapped);
    EXPECT_EQ(Doc.UndoStack()->count(), 1);
}

TEST_F(Document, LoadingAnotherPatchStartsItsOwnHistory)
{
    const std::string A = Copy("full.pch", "A.pch"), B = Copy("shuffled.pch", "B.pch");
    QStringList Modified;
    QObject::connect(&Doc, &TPatchDocument::ModifiedChanged, [&](bool M) { Modified << (M ? "*" : "-"); });
    ASSERT_TRUE(Doc.Open(Q(A)));
    ASSERT_TRUE(Doc.Order(AreaPoly));
    Answers << QMessageBox::Discard;
    ASSERT_TRUE(Doc.Open(Q(B)));
    EXPECT_EQ(Doc.UndoStack()->count(), 0);
    EXPECT_FALSE(Doc.IsModified());
    EXPECT_EQ(Modified.last(), "-");
    EXPECT_EQ(Questions, QStringList{"Save the changes to A.pch?"});
    EXPECT_EQ(ReadText(A), ReadText(DataFile("full.pch"))); // discarded
}

TEST_F(Document, AFailedSaveKeepsTheChangesAndSaysNo)
{
    const std::string A = Copy("full.pch", "A.pch");
    ASSERT_TRUE(Doc.Open(Q(A)));
    ASSERT_TRUE(Doc.Swap(AreaPoly, 1, 2));
    std::filesystem::permissions(A, std::filesystem::perms::owner_read); // no write permission: refused, root too
    Answers << QMessageBox::Save << QMessageBox::Save;
    EXPECT_FALSE(Doc.MaybeSave()); // as at close: the window stays open
    EXPECT_FALSE(Doc.Open(Q(DataFile("shuffled.pch")))); // as at a load: the patch stays
    EXPECT_EQ(Errors.size(), 2);
    EXPECT_TRUE(Doc.IsModified());
    EXPECT_EQ(Doc.FileName(), Q(A));
    EXPECT_EQ(ReadText(A), ReadText(DataFile("full.pch")));
}

TEST_F(Document, SavingAsksBeforeReplacingAnotherFileOrOneChangedOutside)
{
    const std::string A = Copy("full.pch", "A.pch"), B = Write("B.pch", "precious");
    ASSERT_TRUE(Doc.Open(Q(A)));
    Answers << QMessageBox::No;
    EXPECT_FALSE(Doc.SaveAs(Q(B)));
    EXPECT_EQ(Questions.last(), "Replace B.pch?\n\nThe patch shown was loaded from " + Q(A) + ".");
    EXPECT_EQ(Defaults.last(), QMessageBox::No);
    EXPECT_EQ(ReadText(B), "precious");
    Answers << QMessageBox::Yes;
    ASSERT_TRUE(Doc.SaveAs(Q(B)));
    EXPECT_TRUE(ReadText(B) == ReadText(A)); // nothing renumbered: the file read, byte for byte
    EXPECT_EQ(Doc.FileName(), Q(B));
    EXPECT_TRUE(Doc.SaveTo(Q(B))); // its own file now: no question
    const std::string Link = std::filesystem::path(B).replace_filename("link-to-B.pch").string();
    std::filesystem::create_symlink(B, Link);
    EXPECT_TRUE(Doc.SaveTo(Q(Link))); // nor through a link to it
    EXPECT_EQ(Questions.size(), 2);

    WriteText(B, "changed by a colleague's editor");
    Answers << QMessageBox::No;
    EXPECT_FALSE(Doc.Save());
    EXPECT_EQ(Questions.last(), "B.pch was changed by another program since it was saved. Replace it?");
    EXPECT_EQ(Defaults.last(), QMessageBox::No);
    EXPECT_EQ(ReadText(B), "changed by a colleague's editor");
}

TEST_F(Document, AChangeFromOutsideIsNoticed)
{
    const std::string A = Copy("full.pch", "A.pch");
    ASSERT_TRUE(Doc.Open(Q(A)));
    // Without unsaved changes it offers to load the file again; the watcher
    // notices by itself.
    WriteText(A, ReadText(DataFile("shuffled.pch")));
    Answers << QMessageBox::Yes;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Questions.size() == 1; }));
    EXPECT_EQ(Questions[0], "A.pch was changed by another program. Load it again?");
    EXPECT_EQ(Doc.Patch().ModuleDumps[AreaPoly].Count(), 3); // what the other program wrote

    // With unsaved changes it says so and asks at the next save.
    ASSERT_TRUE(Doc.Swap(AreaPoly, 1, 2));
    WriteText(A, ReadText(DataFile("full.pch")));
    Doc.CheckFile();
    EXPECT_EQ(Questions.size(), 1);
    EXPECT_EQ(Messages.last(), "A.pch was changed by another program; saving asks before it replaces it");
    Answers << QMessageBox::No;
    EXPECT_FALSE(Doc.Save());
    EXPECT_EQ(Questions.last(), "A.pch was changed by another program since it was loaded. Replace it?");

    // Its own save is no change from outside.
    Answers << QMessageBox::Yes;
    ASSERT_TRUE(Doc.Save());
    Doc.CheckFile();
    QTest::qWait(400);
    EXPECT_EQ(Questions.size(), 3);

    // Removed, then written anew by another program: both are noticed.
    std::filesystem::remove(A);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return Messages.last() == "A.pch was removed or renamed by another program; saving writes it again";
    }));
    WriteText(A, ReadText(DataFile("shuffled.pch")));
    Answers << QMessageBox::No;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Questions.size() == 4; }));
    EXPECT_EQ(Questions.last(), "A.pch was changed by another program. Load it again?");
    // Told once: the watcher's further events about the same change ask
    // nothing more.
    Doc.CheckFile();
    QTest::qWait(300);
    Doc.CheckFile();
    EXPECT_EQ(Questions.size(), 4);
}

TEST_F(Document, RenumberingStepsSayWhatTheyDidOrWhyNot)
{
    ASSERT_TRUE(Doc.Open(Q(Copy("full.pch", "A.pch"))));
    std::vector<std::pair<TArea, int32_t>> Seen; // what module 2 became, per step
    QObject::connect(&Doc, &TPatchDocument::Renumbered,
                     [&](TArea Area, const TRenumbering& Map) { Seen.emplace_back(Area, Map(2)); });

    // No module may take an index below 1 that no module has.
    for (const auto& [A, B] : {std::pair{2, -1}, {0, 2}}) {
        EXPECT_FALSE(Doc.Swap(AreaPoly, A, B));
        EXPECT_EQ(Errors.last(), QString("The poly area has no module with index %1, and a module cannot take an index below 1").arg(std::min(A, B)));
    }
    EXPECT_TRUE(Doc.Swap(AreaPoly, 2, 9)); // an unused index of 1 or more renumbers the one module
    EXPECT_EQ(Messages.last(), "Swap 2 and 9 (poly)");
    Doc.UndoStack()->undo();
    EXPECT_EQ(Messages.last(), "Undone: Swap 2 and 9 (poly)");

    EXPECT_FALSE(Doc.MoveStep(AreaCommon, 1, -1));
    EXPECT_EQ(Messages.last(), "Module 1 is processed first in the common area already");
    EXPECT_FALSE(Doc.MoveStep(AreaCommon, 3, +1));
    EXPECT_EQ(Messages.last(), "Module 3 is processed last in the common area already");
    EXPECT_TRUE(Doc.MoveStep(AreaCommon, 1, +1));
    EXPECT_EQ((std::vector<std::pair<TArea, int32_t>>{{AreaPoly, 9}, {AreaPoly, 9}, {AreaCommon, 1}}), Seen);
    EXPECT_EQ(Errors.size(), 2);

    Answers << QMessageBox::Discard;
    ASSERT_TRUE(Doc.Open(Q(Write("loop.pch", LoopPatch))));
    EXPECT_FALSE(Doc.Order(AreaPoly));
    EXPECT_EQ(Messages.last(), "The poly area is in signal-flow order already; 1 late connection remains inside "
                               "a feedback loop");
}

TEST_F(Document, ALoadSaysWhatARenumberingCannotFollowAndASaveAsksBeforeItLosesIt)
{
    // Text the program does not read is kept without a word.
    const std::string Kept = ReadText(DataFile("full.pch")) + "[Extra]\r\nkept\r\n";
    const std::string A = Write("A.pch", Kept);
    ASSERT_TRUE(Doc.Open(Q(A)));
    EXPECT_TRUE(Warnings.isEmpty());
    ASSERT_TRUE(Doc.Swap(AreaPoly, 1, 2));
    ASSERT_TRUE(Doc.Swap(AreaPoly, 1, 2));
    ASSERT_TRUE(Doc.Save());
    EXPECT_TRUE(ReadText(A) == Kept);
    EXPECT_TRUE(Questions.isEmpty());

    std::string Text = Kept;
    Text.replace(Text.find("1 2 0 0\r\n1 3 0 1"), 7, "1 y 0 0"); // a knob assignment
    const std::string B = Write("B.pch", Text);
    ASSERT_TRUE(Doc.Open(Q(B)));
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].startsWith("\"" + Q(B) + "\": 1 knob map line holds module numbers that cannot be read"))
        << Warnings[0].toStdString();
    ASSERT_TRUE(Doc.Swap(AreaPoly, 1, 2));
    Answers << QMessageBox::No;
    EXPECT_FALSE(Doc.Save());
    ASSERT_EQ(Questions.size(), 1);
    EXPECT_TRUE(Questions[0].contains("1 knob map line holds module numbers")) << Questions[0].toStdString();
    EXPECT_EQ(Defaults.last(), QMessageBox::No);
    EXPECT_TRUE(ReadText(B) == Text);
    EXPECT_TRUE(Doc.IsModified());
    Answers << QMessageBox::Yes;
    EXPECT_TRUE(Doc.Save());
    EXPECT_FALSE(ReadText(B) == Text);
}

// Opening the patch's own file after saving into it at the question reads
// what was saved; a save leaves nothing "modified".
TEST_F(Document, OpeningItsOwnFileAfterSavingReadsTheSavedFile)
{
    const std::string A = Copy("full.pch", "A.pch");
    ASSERT_TRUE(Doc.Open(Q(A)));
    ASSERT_TRUE(Doc.Swap(AreaPoly, 2, 5));
    EXPECT_TRUE(Doc.IsModified());
    Answers << QMessageBox::Save;
    ASSERT_TRUE(Doc.Open(Q(A)));
    EXPECT_FALSE(Doc.IsModified());
    EXPECT_EQ(Doc.Patch().Text(), ReadText(A)); // the saved text, with 2 and 5 swapped
    EXPECT_NE(ReadText(A), ReadText(DataFile("full.pch")));
    EXPECT_EQ(Doc.UndoStack()->count(), 0);
    // Saving again and again: never modified afterwards.
    ASSERT_TRUE(Doc.Swap(AreaPoly, 2, 5));
    ASSERT_TRUE(Doc.Save());
    EXPECT_FALSE(Doc.IsModified());
    EXPECT_EQ(ReadText(A), ReadText(DataFile("full.pch")));
}

// A patch that a NUL byte cut short is never saved over without a question:
// what followed the byte would be lost.
TEST_F(Document, APatchCutShortByANulByteAsksBeforeItsFileIsReplaced)
{
    std::string Bytes = ReadText(DataFile("full.pch"));
    Bytes.insert(Bytes.find("[NameDump]"), std::string("\0", 1));
    const std::string Cut = Write("cut.pch", Bytes);
    ASSERT_TRUE(Doc.Open(Q(Cut)));
    ASSERT_EQ(Warnings.size(), 1);
    ASSERT_TRUE(Doc.Swap(AreaPoly, 2, 5));
    Answers << QMessageBox::No;
    EXPECT_FALSE(Doc.Save());
    EXPECT_EQ(Questions.size(), 1);
    EXPECT_TRUE(ReadText(Cut) == Bytes);
}
