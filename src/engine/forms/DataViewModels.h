// The Data window's two tables over a data file: the cases (a row a case, a column a
// variable, values in their print formats or as their labels, user-missing values set apart)
// and the variables with their dictionary. Cases are read from the file a block of rows at a
// time as the view asks for them; the file is never read whole, nor written.
//
// The case table's rows are a window of the cases, as many as a screen shows, which its view
// moves: a view keeps some bytes for every row it is given, too many for millions of cases.
#pragma once

#include "datafile/CaseColumns.h"
#include "platform/spssio/CaseReader.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <list>
#include <memory>

namespace qs {

class CaseTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CaseTableModel(QObject* parent = nullptr);
    ~CaseTableModel() override;

    // Shows the cases `reader` reads (null: none) and starts its index in the background.
    void SetReader(std::shared_ptr<spssio::CaseReader> reader);
    const spssio::CaseReader* Reader() const { return m_reader.get(); }
    // Value labels in place of the values that have one.
    void SetLabels(bool on);
    bool Labels() const { return m_labels; }
    // The rows are the `rows` cases from `first` on (fewer at the end).
    void SetWindow(std::int64_t first, int rows);
    std::int64_t FirstCase() const { return m_first; }
    // The cases there are (so far, while a file that does not declare them is indexed).
    std::int64_t CaseCount() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A case could not be read (the file is damaged or cut off): says which and why.
    void ReadFailed(const QString& message);
    void CaseCountChanged(std::int64_t count);

private:
    struct Block {
        std::int64_t first = 0;
        spssio::CaseBlock cases;
    };
    const spssio::CaseBlock* BlockOf(std::int64_t caseIndex) const;
    int WindowRows(std::int64_t first, int rows) const;
    QString Text(const std::uint8_t* record, int column) const;
    bool UserMissing(int column, const std::uint8_t* record) const;
    void FollowIndex();

    std::shared_ptr<spssio::CaseReader> m_reader;
    std::vector<CaseColumn> m_columns;
    mutable std::unique_ptr<spssio::Recoder> m_recode;
    bool m_utf8 = true;
    bool m_labels = false;
    std::int64_t m_rows = 0;
    std::int64_t m_first = 0;
    int m_window = 64; // until a view says how many it shows
    mutable std::list<Block> m_blocks; // the newest first, a few kept
    mutable bool m_failed = false;
    QTimer m_indexTimer; // the row count of a file that does not declare it grows with the index
};

class VariableViewModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Shows the dictionary's variables (null: none); it must outlive the model's use.
    void SetDictionary(const spssio::SavDictionary* dictionary);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const spssio::SavDictionary* m_dictionary = nullptr;
};

} // namespace qs
