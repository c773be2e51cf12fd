// The outline of a syntax document: a row per command with its line and its first words,
// kept current while the text changes. The text is cut into commands off the window's
// thread, after a pause in typing, so that a file of megabytes keeps the editor responsive.
#pragma once

#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QTimer>

class QLabel;
class QListView;

namespace qs {

struct OutlineRow {
    std::size_t line = 0; // 1-based
    std::string label;    // the command's first words; DEFINE and TITLE with their names
};

// The rows of `text`: every command but comments, in order.
std::vector<OutlineRow> OutlineRows(std::string_view text);

class OutlineModel;

class SyntaxOutline : public QWidget {
    Q_OBJECT
public:
    explicit SyntaxOutline(QWidget* parent = nullptr);
    ~SyntaxOutline() override;

    // Where the document's text comes from; it is asked for only once typing pauses.
    void SetSource(std::function<std::string()> source) { m_source = std::move(source); }
    // The document changed: its text is outlined again after a pause (at once when `now`).
    void TextChanged(bool now = false);
    // True while an outline is being made or waits for the pause.
    bool Busy() const;
    // Selects the row of the command at `line`, without moving the editor.
    void FollowLine(std::size_t line);

    QListView* lstCommands = nullptr;
    QLabel* lblStatus = nullptr;

signals:
    void LineChosen(long line);

private:
    void Start();
    void Finished(std::uint64_t generation, std::vector<OutlineRow> rows);

    OutlineModel* m_model = nullptr;
    QTimer m_pause;
    std::function<std::string()> m_source;
    bool m_waiting = false;    // the text is newer than what is being outlined
    bool m_running = false;
    std::uint64_t m_generation = 0;
    std::shared_ptr<bool> m_alive; // the worker posts only while the widget lives
};

} // namespace qs
