// zrsql --driver NAME [--columns FILE]: translates one Firebird-dialect statement read from
// standard input as a query on a connection with driver NAME would send it, and writes the
// result to standard output byte for byte.
#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "column_dictionary.h"
#include "sqltranslate/pipeline.h"
#include "sqltranslate/text_query.h"

namespace {

constexpr int kOk = 0;
constexpr int kTranslationFailed = 1;
constexpr int kBadUsage = 2;

constexpr std::string_view kHelp =
    "Usage: zrsql --driver NAME [--columns FILE]\n"
    "\n"
    "Reads one SQL statement written in the Firebird dialect from standard input, runs it once\n"
    "through the translation pipeline of a query whose connection has driver name NAME, and\n"
    "writes the statement the query would send to standard output, byte for byte: its lines,\n"
    "each followed by CR LF, nothing added.\n"
    "\n"
    "  --driver NAME    driver name of the connection: \"FB\" (Firebird), \"Ora\" (Oracle),\n"
    "                   \"PG\" (PostgreSQL) or any other name. Letter case matters.\n"
    "  --columns FILE   data dictionary for expanding alias.* under DISTINCT or GROUP BY on\n"
    "                   Oracle: one column a line, TABLE<TAB>COLUMN<TAB>DATA_TYPE, each table's\n"
    "                   columns in column order. BLOB and CLOB columns are left out, as the\n"
    "                   USER_TAB_COLUMNS look-up does.\n"
    "  --help           show this text.\n"
    "\n"
    "Exit status: 0 translated; 1 the translation failed (for example a statement that needs\n"
    "the data dictionary without --columns); 2 bad arguments or an unreadable columns file.\n"
    "\n"
    "Example: what a statement becomes on Oracle\n"
    "  printf 'SELECT COALESCE(A,0) FROM T WHERE D = '\\''01/31/2018'\\''' | zrsql --driver Ora\n";

struct Options {
  std::string driver;
  std::optional<std::string> columnsFile;
  bool help = false;
};

int Fail(int code, const std::string& message) {
  std::cerr << "zrsql: " << message << '\n';
  return code;
}

// Returns an empty message on success.
std::string ParseArguments(int argc, char** argv, Options& options) {
  bool haveDriver = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--driver" || arg == "--columns") {
      if (i + 1 >= argc) return std::string(arg) + " needs a value (see zrsql --help)";
      const std::string value = argv[++i];
      if (arg == "--driver") {
        options.driver = value;
        haveDriver = true;
      } else {
        options.columnsFile = value;
      }
    } else {
      return "unknown argument '" + std::string(arg) + "' (see zrsql --help)";
    }
  }
  if (!options.help && !haveDriver) return "--driver NAME is required (see zrsql --help)";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::string error = ParseArguments(argc, argv, options); !error.empty())
    return Fail(kBadUsage, error);
  if (options.help) {
    std::cout << kHelp;
    return kOk;
  }

  zr::sqlt::TextQuery query(options.driver);
  if (options.columnsFile) {
    try {
      auto dictionary = zr::tools::ReadColumnDictionary(*options.columnsFile);
      query.SetDictionary(
          [dictionary = std::move(dictionary)](const std::vector<std::string>&, const std::string& table) {
            return zr::tools::TableColumns(dictionary, table);
          });
    } catch (const std::exception& e) {
      return Fail(kBadUsage, e.what());
    }
  }

  // Byte for byte: no line-end translation on either stream.
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#else
  std::freopen(nullptr, "rb", stdin);
#endif
  const std::string input{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  query.SetSqlText(input);
  zr::sqlt::TranslationCache cache;
  try {
    zr::sqlt::ConverteSQL(query, cache);
  } catch (const std::exception& e) {
    return Fail(kTranslationFailed, e.what());
  }
  const std::string output = query.SqlText();
  std::fwrite(output.data(), 1, output.size(), stdout);
  return std::fflush(stdout) == 0 ? kOk : Fail(kTranslationFailed, "cannot write to standard output");
}
