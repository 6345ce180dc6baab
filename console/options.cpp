#include "options.hpp"

#include "program_name.hpp"

#include <string_view>

namespace torvane {

const char* const usage_text =
    "Usage: " TORVANE_PROGRAM_NAME " --dimension TEXT [--data TEXT | --data-file FILE] [VIEW] [--latex FILE]\n"
    "  or:  " TORVANE_PROGRAM_NAME " [VIEW] [--latex FILE] [--] FILE\n"
    "\n"
    "VIEW is one of --raw, --explain, --exact and --html PAGE.\n"
    "\n"
    "Inverts a square matrix by Gauss-Jordan elimination in single precision and prints\n"
    "the matrix [A | I] after every elimination pass, then the inverse. The matrix is\n"
    "given as two texts, taken byte for byte: the order N, and N x N numbers row by row.\n"
    "Without --data or --data-file the data is read from standard input. The run writes\n"
    "\"mat.data\" and \"mat.result\" in the current directory. A FILE holds both texts,\n"
    "the order first and then the entries, as a saved copy of \"mat.data\" does; \"-\"\n"
    "reads it from standard input.\n"
    "\n"
    "  --dimension TEXT   the order N of the matrix\n"
    "  --data TEXT        the matrix entries\n"
    "  --data-file FILE   read the matrix entries from FILE\n"
    "  --raw              print the report byte for byte (GBK labels, CR LF line ends)\n"
    "  --explain          print the working instead of the report: the row operations of\n"
    "                     every pass, aligned matrices, the inverse and an accuracy check\n"
    "                     (coloured on a terminal, unless NO_COLOR has a value or\n"
    "                     TERM=dumb)\n"
    "  --exact            print the working in exact fractions, pass by pass, with the\n"
    "                     single-precision numbers beside them, the exact inverse and\n"
    "                     the digits each entry of X gets right (orders up to 30)\n"
    "  --html PAGE        write the working as a web page PAGE, one step at a time, with\n"
    "                     the exact fractions a switch away (orders up to 120; larger\n"
    "                     pages open too slowly)\n"
    "  --latex FILE       also write the working as a LaTeX document FILE for pdflatex,\n"
    "                     in exact fractions with --exact (orders up to 16)\n"
    "  --help, -h         show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 the report was printed; 1 the input gave no positive order;\n"
    "2 the command line or the data file was not usable, the page of --html or the\n"
    "document of --latex cannot be written or is one of the run's own files or the matrix\n"
    "file, standard output is one of the run's own files, or the order is too large for\n"
    "the view; 3 the run could not be carried out (the order is too large for memory or\n"
    "disk, or a file could not be written or read back); 128 + n the run was stopped by\n"
    "signal n. When reading stopped before all N x N entries were read, a note on\n"
    "standard error says where and why.\n";

namespace {

struct value_option {
    std::string_view name;
    std::optional<std::string> console_options::*target;
};

constexpr value_option value_options[] = {
    {"--dimension", &console_options::dimension},
    {"--data", &console_options::data},
    {"--data-file", &console_options::data_file},
    {"--html", &console_options::html_file},
    {"--latex", &console_options::latex_file},
};

// Takes "--name VALUE" or "--name=VALUE"; returns false when `argument` is not this option.
bool take_value(const value_option& option, const std::vector<std::string>& arguments, std::size_t& i,
                parsed_options& parsed)
{
    const std::string_view argument = arguments[i];
    if (argument == option.name) {
        if (i + 1 >= arguments.size()) {
            parsed.error = std::string(option.name) + " needs a value";
            return true;
        }
        parsed.options.*option.target = arguments[++i];
        return true;
    }
    if (argument.size() > option.name.size() && argument.substr(0, option.name.size()) == option.name &&
        argument[option.name.size()] == '=') {
        parsed.options.*option.target = std::string(argument.substr(option.name.size() + 1));
        return true;
    }
    return false;
}

// A word that is not an option: a matrix file, or "-" for standard input.
bool names_a_file(std::string_view argument) { return argument == "-" || argument.substr(0, 1) != "-"; }

void take_matrix_file(std::string_view argument, parsed_options& parsed)
{
    if (parsed.options.matrix_file)
        parsed.error = "only one matrix file can be given; found '" + *parsed.options.matrix_file + "' and '" +
                       std::string(argument) + "'";
    else
        parsed.options.matrix_file = std::string(argument);
}

bool take_flag(std::string_view argument, console_options& options)
{
    if (argument == "--raw")
        options.raw = true;
    else if (argument == "--explain")
        options.explain = true;
    else if (argument == "--exact")
        options.exact = true;
    else if (argument == "--help" || argument == "-h")
        options.help = true;
    else if (argument == "--version")
        options.version = true;
    else
        return false;
    return true;
}

void check_combination(parsed_options& parsed)
{
    const console_options& options = parsed.options;
    if (options.help || options.version)
        return;
    const int views =
        int{options.raw} + int{options.explain} + int{options.exact} + int{options.html_file.has_value()};
    if (options.data && options.data_file)
        parsed.error = "--data and --data-file cannot be given together";
    else if (views > 1)
        parsed.error = "--raw, --explain, --exact and --html are different views: give one of them";
    else if (options.matrix_file && (options.dimension || options.data || options.data_file))
        parsed.error = "a matrix file holds both texts: it cannot be given with --dimension, --data or --data-file";
    else if (!options.dimension && !options.matrix_file)
        parsed.error = "--dimension is required, or a matrix file";
}

} // namespace

parsed_options parse_options(const std::vector<std::string>& arguments)
{
    parsed_options parsed;
    std::size_t i = 0;
    for (; i < arguments.size() && parsed.error.empty() && arguments[i] != "--"; ++i) {
        bool known = take_flag(arguments[i], parsed.options);
        if (!known && names_a_file(arguments[i])) {
            take_matrix_file(arguments[i], parsed);
            known = true;
        }
        for (const auto& option : value_options)
            known = known || take_value(option, arguments, i, parsed);
        if (!known)
            parsed.error = "unknown option '" + arguments[i] + "'";
    }
    // "--" ends the options: a file named "--raw" is then given as "-- --raw".
    for (++i; i < arguments.size() && parsed.error.empty(); ++i)
        take_matrix_file(arguments[i], parsed);
    if (parsed.error.empty())
        check_combination(parsed);
    // A matrix file is read as a data file is; only the order comes from it too.
    if (parsed.error.empty() && parsed.options.matrix_file && *parsed.options.matrix_file != "-")
        parsed.options.data_file = parsed.options.matrix_file;
    return parsed;
}

} // namespace torvane
