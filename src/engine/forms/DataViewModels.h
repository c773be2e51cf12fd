// The Data window's two tables over a data file: the cases (a row a case, a column a
// variable, values in their print formats or as their labels, user-missing values set apart)
// and the variables with their dictionary. Cases are read from the file a block of rows at a
// time as the view asks for them; the file is never read whole, nor written.
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

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A case could not be read (the file is damaged or cut off): says which and why.
    void ReadFailed(const QString& message);

private:
    struct Block {
        std::int64_t first = 0;
        spssio::CaseBlock cases;
    };
    const spssio::CaseBlock* BlockOf(std::int64_t row) const;
    QString Text(const std::uint8_t* record, int column) const;
    bool UserMissing(int column, const std::uint8_t* record) const;
    void FollowIndex();

    std::shared_ptr<spssio::CaseReader> m_reader;
    std::vector<CaseColumn> m_columns;
    mutable std::unique_ptr<spssio::Recoder> m_recode;
    bool m_utf8 = true;
    bool m_labels = false;
    std::int64_t m_rows = 0;
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
