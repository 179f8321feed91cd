#pragma once
// A walkthrough over a game written for the test: the game is written once, and each Run
// plays text from its welcome window, collecting the failure lines.
#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "TestApp.h"
#include "app/walkthrough/Walkthrough.h"
#include "project/ProjectWriter.h"

namespace storyloom::test {

class WalkFixture : public ::testing::Test {
  protected:
    explicit WalkFixture(void (*writeGame)(const ProjectWriter&)) {
        EnsureApp();
        writeGame(project);
    }
    void Run(const QString& text) {
        walk = std::make_unique<Walkthrough>(out.path(), [this](const QString& l) { lines << l; });
        ASSERT_TRUE(walk->Open(project.Root()));
        walk->RunText(text);
    }
    ProjectWriter project;
    QTemporaryDir out;
    QStringList lines;
    std::unique_ptr<Walkthrough> walk;
};

}  // namespace storyloom::test
