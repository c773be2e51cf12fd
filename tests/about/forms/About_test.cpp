// The about box and its web link label, on the offscreen platform.
#include "about/forms/About.h"
#include "about/forms/Weblink.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace qs {
namespace {

void ClickOn(QWidget* widget, QPoint at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

TEST(About, ShowsTheVersionOfTheProgramFile) {
    TfrmAbout box(nullptr, QString(QS_BIN_DIR) + "/quillstone-dict");
    EXPECT_EQ(box.lblVersion->text(), "Version " QS_PROJECT_VERSION);
}

TEST(About, WithoutAFileShowsTheRunningProgramsVersion) {
    TfrmAbout box;
    EXPECT_EQ(box.lblVersion->text(), "Version " QS_PROJECT_VERSION);
}

TEST(About, AProgramFileWithoutVersionShowsVersionAndNothingElse) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "program", "no version information");
    TfrmAbout box(nullptr, QString::fromStdString((dir / "program").string()));
    EXPECT_EQ(box.lblVersion->text(), "Version ");
}

TEST(About, CaptionSizeAndControls) {
    TfrmAbout box;
    EXPECT_EQ(box.windowTitle(), "About Quillstone");
    EXPECT_EQ(box.size(), QSize(512, 258));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()); // fixed border
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(box.lblTitle->text(), "Quillstone");
    EXPECT_TRUE(box.lblTitle->font().bold());
    EXPECT_EQ(box.lblTitle->palette().color(QPalette::WindowText), QColor(12, 52, 108));
    EXPECT_TRUE(box.lblVersion->alignment().testFlag(Qt::AlignRight));
    EXPECT_FALSE(box.imgSplash->pixmap().isNull());
    EXPECT_EQ(box.btnOK->text(), "&OK");
    EXPECT_EQ(box.lblLicence->text(), "Free software under the GNU GPL, version 3 or later");
    // A build tree, built without a product page: the repository's README.
    EXPECT_EQ(box.lblWeblink->Url, QUrl::fromLocalFile(QS_SOURCE_README).toString());
    EXPECT_EQ(box.lblWeblink->BrowserState, gwMaximized);
    EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
}

struct PageCase {
    const char* name;
    const char* homepage;
    std::vector<const char*> readmes; // made below the temporary folder
    const char* opens;                // below the temporary folder, or an address
};

class ProductPage : public testing::TestWithParam<PageCase> {};

TEST_P(ProductPage, IsTheHomepageElseAReadme) {
    test::TempDir dir;
    const QString root = QString::fromStdString(dir.path().string());
    for (const char* readme : GetParam().readmes) {
        QDir().mkpath(QFileInfo(root + readme).path());
        test::WriteFileBytes(dir.path().string() + readme, "#");
    }
    const QString opens = GetParam().opens;
    const QString expected =
        opens.startsWith('/') ? QUrl::fromLocalFile(root + opens).toString() : opens;
    EXPECT_EQ(ProductPageAddress(GetParam().homepage, root + "/usr/lib/quillstone/quillstone",
                                 root + "/src/README.md"),
              expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProductPage,
    testing::Values(
        PageCase{"Homepage", "https://example.net/q/", {"/src/README.md"}, "https://example.net/q/"},
        PageCase{"InstalledReadme", "", {"/usr/share/doc/quillstone/README.md", "/src/README.md"},
                 "/usr/share/doc/quillstone/README.md"},
        PageCase{"BuildTreeReadme", "", {"/src/README.md"}, "/src/README.md"},
        PageCase{"NoReadmeAtAll", "", {}, "file:///usr/share/doc/quillstone/"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(About, OkClosesTheBox) {
    TfrmAbout box;
    box.show();
    box.btnOK->click();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

TEST(Weblink, LooksLikeALink) {
    TWeblink link;
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST(Weblink, AClickOpensTheUrlInTheChosenState) {
    test::ScriptedDialogs dialogs;
    TWeblink link;
    link.resize(200, 20);
    link.Url = "https://quillstone.example.org/";
    link.BrowserState = gwNormal;
    QStringList opened;
    TBrowserState state = gwMaximized;
    link.SetUrlOpener([&](const QString& url, TBrowserState s) {
        opened << url;
        state = s;
        return true;
    });
    ClickOn(&link, {10, 10});
    EXPECT_EQ(opened, QStringList{"https://quillstone.example.org/"});
    EXPECT_EQ(state, gwNormal);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(Weblink, ABrowserThatDoesNotStartIsReportedAndTheBoxStaysOpen) {
    test::ScriptedDialogs dialogs;
    TfrmAbout box;
    box.show();
    box.lblWeblink->SetUrlOpener([](const QString&, TBrowserState) { return false; });
    ClickOn(box.lblWeblink, box.lblWeblink->rect().center());
    EXPECT_EQ(dialogs.messages,
              QStringList{"error: Weblink error\rFailed to launch the internet browser"});
    EXPECT_TRUE(box.isVisible());
}

TEST(Weblink, AReleaseOutsideTheLabelOpensNothing) {
    TWeblink link;
    link.resize(200, 20);
    int opened = 0;
    link.SetUrlOpener([&](const QString&, TBrowserState) { return ++opened, true; });
    ClickOn(&link, {300, 10});
    EXPECT_EQ(opened, 0);
}

} // namespace
} // namespace qs
