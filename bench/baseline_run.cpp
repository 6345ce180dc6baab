#include "baseline_run.hpp"

#include <cmath>
#include <fstream>
#include <vector>

namespace torvane::baseline {
namespace {

using row = std::vector<float>;

int dimension = 0;
std::vector<row> matrix;
std::vector<row> normalized;
int step_count = 0;
std::ofstream out_file;

bool tiny(float x) { return std::fabs(x) < 1e-6; }
bool usable(float x) { return std::fabs(x) > 1e-6; }

void load_matrix(std::ifstream& in)
{
    in >> dimension;
    float entry = 0.0f;
    for (int r = 0; r < dimension; ++r) {
        row values;
        for (int c = 0; c < dimension; ++c) {
            in >> entry;
            values.push_back(entry);
        }
        for (int c = 0; c < dimension; ++c)
            values.push_back(c == r ? 1.0f : 0.0f);
        matrix.push_back(values);
    }
}

void add_scaled_row(int dst, int src, float factor)
{
    for (std::size_t c = 0; c < matrix[0].size(); ++c)
        matrix[dst][c] = static_cast<float>(static_cast<double>(matrix[src][c]) * factor + matrix[dst][c]);
}

void write_step()
{
    ++step_count;
    out_file << "\xB5\xDA " << step_count << "\xB2\xBD" << "\r\n";
    for (int r = 0; r < dimension; ++r) {
        for (int c = 0; c < 2 * dimension; ++c) {
            if (tiny(matrix[r][c]))
                matrix[r][c] = 0.0f;
            out_file << matrix[r][c] << "  ";
            if (c == dimension - 1)
                out_file << " | ";
        }
        out_file << "\r\n";
    }
    out_file << "\r\n";
}

void eliminate()
{
    const int n = dimension;
    for (int j = 0; j + 1 < n; ++j) {
        if (tiny(matrix[j][j])) {
            int k = j + 1;
            while (k < n - 1 && !usable(matrix[k][j]))
                ++k;
            add_scaled_row(j, k < n - 1 ? k : n - 1, 1.0f);
        }
        for (int i = j + 1; i < n; ++i)
            add_scaled_row(i, j, static_cast<float>(-static_cast<double>(matrix[i][j]) / matrix[j][j]));
        write_step();
    }
    for (int p = n - 1; p >= 1; --p) {
        for (int i = p - 1; i >= 0; --i)
            add_scaled_row(i, p, static_cast<float>(-static_cast<double>(matrix[i][p]) / matrix[p][p]));
        write_step();
    }
    normalized.clear();
    for (int i = 0; i < n; ++i) {
        row values;
        for (int c = 0; c < 2 * n; ++c) {
            float v = static_cast<float>(static_cast<double>(matrix[i][c]) / matrix[i][i]);
            values.push_back(tiny(v) ? 0.0f : v);
        }
        normalized.push_back(values);
        out_file << "\r\n";
    }
    matrix = normalized;
}

void write_inverse()
{
    out_file << "\r\n" << "########################" << "\r\n" << "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA" << "\r\n";
    for (int r = 0; r < dimension; ++r) {
        for (int c = dimension; c < 2 * dimension; ++c)
            out_file << matrix[r][c] << "  ";
        out_file << "\r\n";
    }
    out_file << "########################" << "\r\n";
}

std::string read_report()
{
    std::ifstream in("mat.result");
    std::string text;
    char ch;
    while (in.get(ch))
        text += ch;
    return text;
}

} // namespace

std::string compute_run(const std::string& dimension_text, const std::string& data_text)
{
    {
        std::ofstream data("mat.data");
        data << dimension_text << "\n" << data_text;
    }
    std::ifstream in("mat.data");
    step_count = 0;
    matrix.clear();
    dimension = 0;
    load_matrix(in);
    if (dimension <= 0)
        return {};
    out_file.open("mat.result");
    eliminate();
    write_inverse();
    out_file.close();
    return read_report();
}

} // namespace torvane::baseline
