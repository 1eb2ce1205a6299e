#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace legacy {

// The old Windows program's data.mdb (Jet 4), read through mdbtools' libmdb. The file is opened
// read-only and never written. Opening checks that it is a Jet 4 file holding every table and
// column the import reads, and throws store::Error saying what is missing.
class LegacyFile
{
public:
    explicit LegacyFile(const QString& path);
    ~LegacyFile();
    LegacyFile(const LegacyFile&) = delete;
    LegacyFile& operator=(const LegacyFile&) = delete;

    QString path() const { return m_path; }
    int rowCount(const QString& table) const; // as the table's header counts them; -1 for no such table

    // Walks a table's rows in file order, reading the named columns of each: an invalid QVariant
    // is NULL, a number column gives a double, a text column a QString (empty text stays empty).
    class Rows
    {
    public:
        ~Rows();
        Rows(Rows&&) noexcept;
        Rows(const Rows&) = delete;
        Rows& operator=(const Rows&) = delete;
        Rows& operator=(Rows&&) = delete;

        bool next(); // false past the last row
        const QVariant& value(int column) const { return m_values[static_cast<size_t>(column)]; }
        QString text(int column) const { return value(column).toString(); }
        int rowNumber() const { return m_rowNumber; } // 1-based, of the row read last

    private:
        friend class LegacyFile;
        struct State;
        explicit Rows(std::unique_ptr<State> state);
        std::unique_ptr<State> m_state;
        std::vector<QVariant> m_values;
        int m_rowNumber = 0;
    };
    Rows rows(const QString& table, const QStringList& columns) const;

    // The tables and columns the import needs, in the old program's order.
    struct TableColumns
    {
        QString table;
        QStringList columns;
    };
    static const std::vector<TableColumns>& requiredTables();

private:
    struct Handle;
    void requireJet4();
    void requireTablesAndColumns();

    QString m_path;
    std::unique_ptr<Handle> m_handle;
};

} // namespace legacy
