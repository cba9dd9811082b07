#include "commandline.h"

#include "common/messagehook.h"
#include "exchange/listexport.h"
#include "exchange/personimport.h"
#include "exchange/tablewriter.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QStringList>
#include <QTextStream>

namespace {
enum ExitCode
{
    Success = 0,
    NothingDone = 1,
    WrongArguments = 2
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

const char *const usage =
    "用法:\n"
    "  callledger --export prospects|recruits|team|orders 文件.xlsx|文件.csv\n"
    "      把准客户、准增员、团队成员或订单列表导出为 xlsx 或 csv (UTF-8) 文件\n"
    "  callledger --import prospects|recruits 文件.csv [--encoding utf-8|gb18030]\n"
    "             [--allow-duplicates]\n"
    "      从 csv 文件导入准客户或准增员; 不指定编码时自动识别;\n"
    "      电话号码已存在的行默认跳过, --allow-duplicates 仍然导入\n"
    "  callledger --help\n"
    "      显示本说明\n"
    "\n"
    "使用当前文件夹中的数据文件 mwdb.dat (加 --data-home 时使用程序的数据文件夹),\n"
    "不打开窗口; 相对的文件名总是相对于当前文件夹。一行摘要写到标准输出,\n"
    "跳过的行 (行号和原因) 写到标准错误。\n"
    "退出码: 0 完成; 1 无法完成 (文件不存在或无法读取, 数据文件缺失或损坏); 2 参数错误。\n";

struct Request
{
    bool help = false;
    bool exporting = false;
    bool importing = false;
    QString list;
    QString path; // as typed, for the messages
    QString filePath; // resolved against the folder the command was typed in
    bool encodingGiven = false;
    TextEncoding encoding = TextEncoding::Automatic;
    bool allowDuplicates = false;
};

// The options Qt's application objects take themselves (with one dash or
// two, a value after "=" or as the next argument).
bool isQtOption(const QString &argument)
{
    static const QStringList options = {
        QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("geometry"),      QStringLiteral("qwindowicon"),
        QStringLiteral("icon"),          QStringLiteral("qwindowtitle"),
        QStringLiteral("title"),         QStringLiteral("name"),
        QStringLiteral("display"),       QStringLiteral("reverse"),
        QStringLiteral("session"),       QStringLiteral("style"),
        QStringLiteral("stylesheet"),    QStringLiteral("widgetcount"),
        QStringLiteral("testability"),   QStringLiteral("nograb"),
        QStringLiteral("dograb"),        QStringLiteral("visual"),
        QStringLiteral("ncols"),         QStringLiteral("cmap"),
        QStringLiteral("sync")};
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    name.truncate(name.indexOf(QLatin1Char('=')) < 0 ? name.size()
                                                     : name.indexOf(QLatin1Char('=')));
    return options.contains(name);
}

// Ours are the program's own options, and any other option that Qt does not
// know: a mistyped one is answered with the usage instead of a window.
bool isOurs(const QString &argument)
{
    static const QStringList options = {
        QStringLiteral("--export"),   QStringLiteral("--import"),
        QStringLiteral("--help"),     QStringLiteral("-h"),
        QStringLiteral("--encoding"), QStringLiteral("--allow-duplicates")};
    if (options.contains(argument))
        return true;
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-')) && !isQtOption(argument);
}

// Reads the arguments; false with the reason when they do not make sense.
bool parse(const QStringList &arguments, Request *request, QString *problem)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            request->help = true;
        } else if (argument == QLatin1String("--export") || argument == QLatin1String("--import")) {
            if (request->exporting || request->importing) {
                *problem = QStringLiteral("一次只能做一项导出或导入");
                return false;
            }
            if (i + 2 >= arguments.size()) {
                *problem = argument + QStringLiteral(" 需要列表名和文件名");
                return false;
            }
            (argument == QLatin1String("--export") ? request->exporting : request->importing) =
                true;
            request->list = arguments.at(++i);
            request->path = arguments.at(++i);
        } else if (argument == QLatin1String("--encoding")) {
            if (i + 1 >= arguments.size() ||
                !parseEncodingName(arguments.at(++i), &request->encoding)) {
                *problem = QStringLiteral("--encoding 只能是 utf-8 或 gb18030");
                return false;
            }
            request->encodingGiven = true;
        } else if (argument == QLatin1String("--allow-duplicates")) {
            request->allowDuplicates = true;
        } else {
            *problem = QStringLiteral("未知的参数: ") + argument;
            return false;
        }
    }
    if (request->help)
        return true;
    if (!request->exporting && !request->importing) {
        *problem = QStringLiteral("缺少 --export 或 --import");
        return false;
    }
    if (request->exporting) {
        ExportList list;
        if (!parseExportList(request->list, &list)) {
            *problem = QStringLiteral("只能导出 prospects、recruits、team 或 orders");
            return false;
        }
        if (!isSupportedExportPath(request->path)) {
            *problem = QStringLiteral("导出文件名须以 .xlsx 或 .csv 结尾");
            return false;
        }
        if (request->encodingGiven || request->allowDuplicates) {
            *problem = QStringLiteral("--encoding 和 --allow-duplicates 只用于导入");
            return false;
        }
    } else if (request->list != QLatin1String("prospects") &&
               request->list != QLatin1String("recruits")) {
        *problem = QStringLiteral("只能导入 prospects 或 recruits");
        return false;
    }
    return true;
}

bool openDataFile(bool readOnly = false)
{
    // A script started in the wrong folder must not leave an empty data file there.
    if (!QFile::exists(QString::fromLatin1(databaseFileName))) {
        err() << "当前文件夹中没有数据文件 " << databaseFileName << Qt::endl;
        return false;
    }
    // An export only reads: nothing is created or converted in the file.
    return readOnly ? openDatabaseForReading() : initDatabase(FileCheck::WhenUncleanForScript);
}

int runExport(const Request &request)
{
    ExportList list = ExportList::Prospects;
    parseExportList(request.list, &list);
    if (!openDataFile(true))
        return NothingDone;
    const ExportResult result = exportList(exportSource(list), request.filePath);
    if (result.outcome != ExportResult::Done) {
        err() << exportSummary(result, request.path) << Qt::endl;
        return NothingDone;
    }
    out() << exportSummary(result, request.path) << Qt::endl;
    return Success;
}

int runImportRequest(const Request &request)
{
    CsvFile file;
    QString error;
    if (!readCsvFile(request.filePath, request.encoding, &file, &error)) {
        err() << error << Qt::endl;
        return NothingDone;
    }
    if (file.isEmpty()) {
        err() << "文件中没有数据: " << request.path << Qt::endl;
        return NothingDone;
    }
    if (!openDataFile())
        return NothingDone;
    const PersonTable table =
        request.list == QLatin1String("prospects") ? PersonTable::Customers : PersonTable::Helpers;
    const ImportPlan plan = planImport(table, file, guessMapping(file.fields(0)));
    if (!plan.mappingProblem.isEmpty()) {
        err() << plan.mappingProblem
              << " (表头: " << quotedCell(file.fields(0).join(QStringLiteral(", "))) << ")"
              << Qt::endl;
        return NothingDone;
    }
    const ImportResult result = runImport(plan, request.allowDuplicates);
    if (result.outcome != ImportResult::Done) {
        err() << importSummary(result) << Qt::endl;
        return NothingDone;
    }
    out() << importSummary(result) << Qt::endl;
    // One at a time: a million skipped rows are not all held as text.
    for (const ImportRow &row : result.skipped)
        err() << skippedLine(plan, row) << '\n';
    err().flush();
    return Success;
}

int run(const QStringList &arguments, const std::function<bool(QString *)> &enterDataFolder)
{
    Request request;
    QString problem;
    if (!parse(arguments, &request, &problem)) {
        err() << problem << "\n\n" << QString::fromUtf8(usage);
        err().flush();
        return WrongArguments;
    }
    if (request.help) {
        out() << QString::fromUtf8(usage);
        out().flush();
        return Success;
    }
    request.filePath = QFileInfo(request.path).absoluteFilePath();
    if (enterDataFolder) {
        QString error;
        if (!enterDataFolder(&error)) {
            err() << error << Qt::endl;
            return NothingDone;
        }
    }
    // The store's failure reports go where the caller reads them.
    setWarningHook([](const QString &text, const QString &title) {
        err() << title << ": " << text << Qt::endl;
    });
    const int code = request.exporting ? runExport(request) : runImportRequest(request);
    closeDatabase();
    QSqlDatabase::removeDatabase(defaultConnectionName());
    setWarningHook({});
    return code;
}
} // namespace

int runCommandLine(int argc, char *argv[],
                   const std::function<bool(QString *error)> &enterDataFolder)
{
    bool asked = false;
    for (int i = 1; i < argc && !asked; ++i)
        asked = isOurs(QString::fromLocal8Bit(argv[i]));
    if (!asked)
        return -1;
    int count = argc;
    QCoreApplication app(count, argv);
    return run(QCoreApplication::arguments(), enterDataFolder);
}
