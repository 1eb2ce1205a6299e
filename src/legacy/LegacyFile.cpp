#include "legacy/LegacyFile.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <mdbtools.h>

namespace legacy {

namespace {

// Where a row begins on its page; the high bits of the row offset are flags.
constexpr int RowOffsetMask = 0x1fff;
// Bytes libmdb gives one text value: a Text(255) column takes at most 765 bytes of UTF-8.
constexpr size_t TextBufferSize = 4096;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool isNumberType(int type)
{
    switch (type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return true;
    default:
        return false;
    }
}

QString textAt(MdbHandle* mdb, const MdbField& field, int type)
{
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, type, field.siz);
    const QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

// Doubles are read as stored: libmdb's text of them keeps only 16 significant digits.
QVariant numberAt(MdbHandle* mdb, const MdbField& field, int type)
{
    switch (type) {
    case MDB_DOUBLE:
        return mdb_get_double(mdb->pg_buf, field.start);
    case MDB_FLOAT:
        return static_cast<double>(mdb_get_single(mdb->pg_buf, field.start));
    case MDB_BYTE:
        return static_cast<double>(mdb_get_byte(mdb->pg_buf, field.start));
    case MDB_INT:
        return static_cast<double>(mdb_get_int16(mdb->pg_buf, field.start));
    case MDB_LONGINT:
        return static_cast<double>(mdb_get_int32(mdb->pg_buf, field.start));
    default: {
        bool ok = false;
        const double value = textAt(mdb, field, type).toDouble(&ok);
        return ok ? QVariant(value) : QVariant();
    }
    }
}

struct TableDeleter
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePointer = std::unique_ptr<MdbTableDef, TableDeleter>;

struct HandleDeleter
{
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using HandlePointer = std::unique_ptr<MdbHandle, HandleDeleter>;

TablePointer readTable(MdbHandle* mdb, const QString& name)
{
    QByteArray utf8 = name.toUtf8();
    TablePointer table(mdb_read_table_by_name(mdb, utf8.data(), MDB_TABLE));
    if (table && !mdb_read_columns(table.get()))
        table.reset();
    return table;
}

int columnIndex(MdbTableDef* table, const QString& name)
{
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (QString::fromUtf8(column->name).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

struct LegacyFile::Handle
{
    HandlePointer mdb;
    QHash<QString, int> rowCounts;
};

struct LegacyFile::Rows::State
{
    HandlePointer mdb; // a handle of its own, so walks of two tables never share a page buffer
    TablePointer table;
    std::vector<int> indexes;
    std::vector<int> types;
    std::vector<bool> numbers;
    std::vector<MdbField> fields;
};

const std::vector<LegacyFile::TableColumns>& LegacyFile::requiredTables()
{
    static const std::vector<TableColumns> tables = {
        {QStringLiteral("spxx"), {QStringLiteral("品名"), QStringLiteral("单价")}},
        {QStringLiteral("dynr"), {QStringLiteral("店名"), QStringLiteral("备注")}},
        {QStringLiteral("xstj"),
         {QStringLiteral("单号"), QStringLiteral("时间"), QStringLiteral("数量"), QStringLiteral("金额"),
          QStringLiteral("折后"), QStringLiteral("收银员")}},
        {QStringLiteral("xsmx"),
         {QStringLiteral("单号"), QStringLiteral("时间"), QStringLiteral("客户"), QStringLiteral("电话"),
          QStringLiteral("品名"), QStringLiteral("单价"), QStringLiteral("数量"), QStringLiteral("金额"),
          QStringLiteral("折后")}},
        {QStringLiteral("id"),
         {QStringLiteral("pos"), QStringLiteral("print"), QStringLiteral("客户"), QStringLiteral("电话")}},
        {QStringLiteral("username"), {QStringLiteral("用户名"), QStringLiteral("密码"), QStringLiteral("权限")}},
    };
    return tables;
}

LegacyFile::LegacyFile(const QString& path) : m_path(path), m_handle(std::make_unique<Handle>())
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw store::Error(QStringLiteral("找不到文件 %1").arg(shown(path)));
    if (!info.isReadable())
        throw store::Error(QStringLiteral("无法读取文件 %1：没有读取权限").arg(shown(path)));
    requireJet4();
    requireTablesAndColumns();
}

LegacyFile::~LegacyFile() = default;

void LegacyFile::requireJet4()
{
    const QString notJet4 = QStringLiteral("文件 %1 不是旧程序的数据库（Jet 4.0 格式的 data.mdb）").arg(shown(m_path));
    // libmdb reads whole pages; a file shorter than one is nothing it can open.
    if (QFileInfo(m_path).size() < 4096)
        throw store::Error(notJet4);
    m_handle->mdb.reset(mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS));
    if (!m_handle->mdb || m_handle->mdb->f->jet_version != MDB_VER_JET4)
        throw store::Error(notJet4);
    mdb_set_bind_size(m_handle->mdb.get(), TextBufferSize);
    if (!mdb_read_catalog(m_handle->mdb.get(), MDB_TABLE))
        throw store::Error(notJet4);
}

void LegacyFile::requireTablesAndColumns()
{
    QStringList missingTables;
    QStringList missingColumns;
    for (const TableColumns& wanted : requiredTables()) {
        TablePointer table = readTable(m_handle->mdb.get(), wanted.table);
        if (!table) {
            missingTables << wanted.table;
            continue;
        }
        for (const QString& column : wanted.columns)
            if (columnIndex(table.get(), column) < 0)
                missingColumns << wanted.table + QLatin1Char('.') + column;
        m_handle->rowCounts.insert(wanted.table, static_cast<int>(table->num_rows));
    }
    // The unprinted lines are not imported, only counted when the file has them.
    if (TablePointer unprinted = readTable(m_handle->mdb.get(), QStringLiteral("xsxx")))
        m_handle->rowCounts.insert(QStringLiteral("xsxx"), static_cast<int>(unprinted->num_rows));
    QStringList missing;
    if (!missingTables.isEmpty())
        missing << QStringLiteral("表 %1").arg(missingTables.join(QStringLiteral("、")));
    if (!missingColumns.isEmpty())
        missing << QStringLiteral("列 %1").arg(missingColumns.join(QStringLiteral("、")));
    if (!missing.isEmpty())
        throw store::Error(QStringLiteral("文件 %1 不是旧程序的完整数据库，缺少%2")
                               .arg(shown(m_path), missing.join(QStringLiteral("和"))));
}

int LegacyFile::rowCount(const QString& table) const
{
    return m_handle->rowCounts.value(table, -1);
}

LegacyFile::Rows LegacyFile::rows(const QString& table, const QStringList& columns) const
{
    auto state = std::make_unique<Rows::State>();
    state->mdb.reset(mdb_clone_handle(m_handle->mdb.get()));
    if (!state->mdb)
        throw store::Error(QStringLiteral("无法读取文件 %1").arg(shown(m_path)));
    mdb_set_bind_size(state->mdb.get(), TextBufferSize);
    state->table = readTable(state->mdb.get(), table);
    if (!state->table)
        throw store::Error(QStringLiteral("文件 %1 缺少表 %2").arg(shown(m_path), table));
    for (const QString& name : columns) {
        const int index = columnIndex(state->table.get(), name);
        if (index < 0)
            throw store::Error(QStringLiteral("文件 %1 缺少列 %2.%3").arg(shown(m_path), table, name));
        const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(state->table->columns, index));
        state->indexes.push_back(index);
        state->types.push_back(column->col_type);
        state->numbers.push_back(isNumberType(column->col_type));
    }
    state->fields.resize(state->table->num_cols);
    mdb_rewind_table(state->table.get());
    return Rows(std::move(state));
}

LegacyFile::Rows::Rows(std::unique_ptr<State> state) : m_state(std::move(state))
{
    m_values.resize(m_state->indexes.size());
}

LegacyFile::Rows::Rows(Rows&&) noexcept = default;
LegacyFile::Rows::~Rows() = default;

bool LegacyFile::Rows::next()
{
    MdbTableDef* table = m_state->table.get();
    MdbHandle* mdb = m_state->mdb.get();
    if (!mdb_fetch_row(table))
        return false;
    // The row just fetched is still on the page buffer; cracking it again tells NULL from
    // empty text, which libmdb's bound values do not.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
        throw store::Error(QStringLiteral("旧数据文件的表 %1 第 %2 行已损坏，无法读取")
                               .arg(QString::fromUtf8(table->name))
                               .arg(m_rowNumber + 1));
    mdb_crack_row(table, start & RowOffsetMask, size, m_state->fields.data());
    ++m_rowNumber;
    for (size_t i = 0; i < m_values.size(); ++i) {
        const MdbField& field = m_state->fields[static_cast<size_t>(m_state->indexes[i])];
        if (field.is_null)
            m_values[i] = QVariant();
        else if (m_state->numbers[i])
            m_values[i] = numberAt(mdb, field, m_state->types[i]);
        else
            m_values[i] = textAt(mdb, field, m_state->types[i]);
    }
    return true;
}

} // namespace legacy
