// The main window's view of the document: Go to line, the caret's place in the status bar,
// and the window's size, place and zoom kept between runs.
#include "app/EditorPosition.h"
#include "app/forms/TFMain.h"
#include "app/forms/dlgGotoLine.h"
#include "settings/WindowState.h"
#include "ui/TSyntaxEditor.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace qs {

namespace {

ScreenRect ToScreenRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// The work areas of the screens, the primary one first.
std::vector<ScreenRect> WorkAreas() {
    std::vector<ScreenRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        areas.push_back(ToScreenRect(primary->availableGeometry()));
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            areas.push_back(ToScreenRect(screen->availableGeometry()));
        }
    }
    return areas;
}

} // namespace

void TFMain::ShowLine(long line) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    SynEdit->GotoLine(std::clamp(line, 1L, std::max(1L, SynEdit->DocumentLines())) - 1);
    SynEdit->setFocus();
    ShowCaretStatus();
}

void TFMain::actGotoLineExecute() {
    const long current = SynEdit->CaretLineColumn().first + 1;
    TGotoLineDialog dialog(this, current, SynEdit->DocumentLines());
    if (dialog.exec() == QDialog::Accepted) {
        SynEdit->GotoLine(dialog.Line() - 1);
    }
    SynEdit->setFocus();
    ShowCaretStatus();
}

void TFMain::ShowCaretStatus() {
    const auto [line, column] = SynEdit->CaretLineColumn();
    SetStatus(QString::fromStdString(CaretStatusText(line + 1, column + 1, m_modified)), 2);
}

void TFMain::RestoreWindowState() {
    TRegistry reg(m_registry);
    const WindowState state = ReadWindowState(reg);
    SynEdit->zoomTo(state.zoom);
    if (state.geometry) {
        const ScreenRect r = FitToScreens(*state.geometry, WorkAreas());
        setGeometry(r.left, r.top, r.width, r.height);
    }
    if (state.maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    // Connected only now: restoring is no change to store.
    connect(SynEdit, &QsciScintillaBase::SCN_ZOOM, this, &TFMain::StoreZoom, Qt::UniqueConnection);
}

void TFMain::StoreWindowState() {
    if (!isVisible()) {
        return; // never shown, so never placed by the user
    }
    const bool special = isMaximized() || isMinimized() || isFullScreen();
    const QRect normal = special ? normalGeometry() : geometry();
    // Like the recent-files list, a store that cannot be written is no reason for a box
    // while the window goes.
    try {
        TRegistry reg(m_registry);
        if (normal.isValid()) {
            WriteWindowGeometry(reg, ToScreenRect(normal), isMaximized());
        }
    } catch (const ERegistryException&) {
    }
}

void TFMain::StoreZoom() {
    try {
        TRegistry reg(m_registry);
        WriteEditorZoom(reg,
                        static_cast<int>(SynEdit->SendScintilla(QsciScintillaBase::SCI_GETZOOM)));
    } catch (const ERegistryException&) {
    }
}

void TFMain::StoreCascadedPlace() {
    if (!isVisible() || isMaximized() || isMinimized() || isFullScreen()) {
        return; // a new window takes the whole screen, or the stored place, as it would
    }
    try {
        TRegistry reg(m_registry);
        const WindowState stored = ReadWindowState(reg);
        WriteWindowGeometry(reg, Cascade(ToScreenRect(geometry()), stored.geometry, WorkAreas()),
                            false);
    } catch (const ERegistryException&) {
    }
}

} // namespace qs
