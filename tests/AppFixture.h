#pragma once
// What the window and document tests share: a fresh program folder with the
// module library and a settings file of its own, messages recorded, and
// questions and file dialogs answered from lists.
#include <gtest/gtest.h>

#include <QStringList>
#include <filesystem>

#include "Application.h"
#include "TestHelpers.h"
#include "modules/LibraryPlaces.h"
#include "base/ProgramPaths.h"

// Texts in test failures as texts.
inline void PrintTo(const QString& Text, std::ostream* Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace permuto::test {

inline std::string DataFile(const std::string& Name)
{
    return std::string(PERMUTO_TEST_DATA) + "/" + Name;
}

inline QString Q(const std::string& Text)
{
    return QString::fromStdString(Text);
}

// Three poly modules in a loop, 1 -> 2 -> 3 -> 1: the one late pair (3 feeds
// 1) lies inside the loop, and no order can avoid it.
inline const char* const LoopPatch = "Version=loop\r\n0\r\n[ModuleDump]\r\n1\r\n1 1 0 0\r\n2 3 0 1\r\n3 7 0 2\r\n"
                                     "[/ModuleDump]\r\n[CableDump]\r\n1\r\n0 1 0 1 2 0 0\r\n0 2 0 1 3 0 0\r\n"
                                     "0 3 0 1 1 0 0\r\n[/CableDump]\r\n";

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(Dir.File("resources"));
        std::filesystem::copy_file(std::string(PERMUTO_RESOURCES) + "/patch303.txt", Dir.File("resources/patch303.txt"));
        InitGlobals(Dir.File("permuto"));
        IsolateLibraryPlaces(Dir.File("data"));
        ASSERT_EQ(LoadModuleLibrary().Place.Origin, TLibraryOrigin::Shipped);
        TApplication::SetPresenter([this](TApplication::TSeverity Severity, const QString& Message) {
            (Severity == TApplication::TSeverity::Error ? Errors : Warnings) << Message;
        });
        TApplication::SetAsker(
            [this](const QString& Question, QMessageBox::StandardButtons, QMessageBox::StandardButton Default) {
                Defaults << Default;
                Questions << Question;
                return Answers.isEmpty() ? QMessageBox::Cancel : Answers.takeFirst();
            });
        TApplication::SetFileChooser([this](TApplication::TFileDialog Kind, const QString&) {
            Dialogs << Kind;
            return Chosen.isEmpty() ? QString() : Chosen.takeFirst();
        });
    }
    void TearDown() override
    {
        TApplication::SetPresenter(nullptr);
        TApplication::SetAsker(nullptr);
        TApplication::SetFileChooser(nullptr);
    }

    // Our own copy of a sample (or of a text), which the tests may change.
    std::string Copy(const std::string& Sample, const std::string& Name)
    {
        WriteText(Dir.File(Name), ReadText(DataFile(Sample)));
        return Dir.File(Name);
    }
    std::string Write(const std::string& Name, const std::string& Text)
    {
        WriteText(Dir.File(Name), Text);
        return Dir.File(Name);
    }

    TTempDir Dir;
    QStringList Errors, Warnings, Questions;
    QList<QMessageBox::StandardButton> Answers, Defaults;
    QStringList Chosen;
    QList<TApplication::TFileDialog> Dialogs;
};

} // namespace permuto::test
