// Test main for suites that need a QApplication (run with the offscreen platform).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    app.setApplicationName("Quillstone");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
