// Runs a fuzz target where libFuzzer is not at hand (a g++ build): every
// seed of the corpus as it stands, then a fixed number of inputs made from
// the seeds by small random changes. The generator has a fixed seed, so every
// run tries the same inputs and a failure can be replayed. A broken check
// aborts; the input that broke it is printed first.
//
//   fuzz_target [-runs=N] [-seed=N] [-dict=FILE] CORPUS_FOLDER...
#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

// The input under test, for the abort handler to print.
const Bytes *current = nullptr;

void writeAll(const char *text, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, length);
        if (written <= 0)
            return;
        text += written;
        length -= std::size_t(written);
    }
}

// Only write(): it runs inside a signal handler. Printable ASCII stands as
// it is, every other byte as \xNN, so the line can go into a seed file.
extern "C" void printFailingInput(int)
{
    std::signal(SIGABRT, SIG_DFL);
    if (!current)
        return;
    static const char hex[] = "0123456789abcdef";
    const char intro[] = "\nfuzz: the check failed on the input \"";
    writeAll(intro, sizeof intro - 1);
    for (const std::uint8_t byte : *current) {
        char escaped[4] = {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"')
            writeAll(reinterpret_cast<const char *>(&byte), 1);
        else
            writeAll(escaped, 4);
    }
    writeAll("\"\n", 2);
}

Bytes readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int hexDigit(char c)
{
    const char *digits = "0123456789abcdef0123456789ABCDEF";
    const char *hit = c ? std::strchr(digits, c) : nullptr;
    return hit ? int(hit - digits) % 16 : -1;
}

// libFuzzer's dictionary lines: name="value" or "value", with \\, \" and
// \xNN escapes; '#' starts a comment.
std::vector<Bytes> readDictionary(const std::string &path)
{
    std::vector<Bytes> tokens;
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "fuzz: cannot read the dictionary %s\n", path.c_str());
        std::exit(2);
    }
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open)
            continue;
        Bytes token;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 1 < close && line[i + 1] == 'x' && i + 3 < close && hexDigit(line[i + 2]) >= 0
                && hexDigit(line[i + 3]) >= 0) {
                token.push_back(std::uint8_t(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3])));
                i += 3;
            } else if (line[i] == '\\' && i + 1 < close) {
                token.push_back(std::uint8_t(line[++i]));
            } else {
                token.push_back(std::uint8_t(line[i]));
            }
        }
        tokens.push_back(token);
    }
    return tokens;
}

class TMutator
{
public:
    TMutator(unsigned seed, const std::vector<Bytes> &seeds, const std::vector<Bytes> &dictionary)
        : m_random(seed)
        , m_seeds(seeds)
        , m_dictionary(dictionary)
    {
    }

    // The raw output of mt19937 is the same everywhere; the standard's
    // distributions are not, so the range is taken by remainder.
    std::size_t below(std::size_t bound) { return bound ? std::size_t(m_random()) % bound : 0; }

    void mutate(Bytes &input)
    {
        static constexpr std::string_view telling = " \t\n#(),*%.+-0123456789abcdefABCDEF";
        switch (below(10)) {
        case 0:  // one bit flipped
            if (!input.empty())
                input[below(input.size())] ^= std::uint8_t(1u << below(8));
            break;
        case 1:  // one byte replaced by any byte
            if (!input.empty())
                input[below(input.size())] = std::uint8_t(below(256));
            break;
        case 2:  // a byte the parsers look for, put in
            input.insert(input.begin() + std::ptrdiff_t(below(input.size() + 1)),
                         std::uint8_t(telling[below(telling.size())]));
            break;
        case 3:  // one byte taken out
            if (!input.empty())
                input.erase(input.begin() + std::ptrdiff_t(below(input.size())));
            break;
        case 4:  // a dictionary word put in
        case 5:  // a dictionary word written over what is there
            if (!m_dictionary.empty()) {
                const Bytes &word = m_dictionary[below(m_dictionary.size())];
                const std::size_t at = below(input.size() + 1);
                if (below(2) == 0) {
                    input.insert(input.begin() + std::ptrdiff_t(at), word.begin(), word.end());
                } else {
                    input.resize(std::max(input.size(), at + word.size()));
                    std::copy(word.begin(), word.end(), input.begin() + std::ptrdiff_t(at));
                }
            }
            break;
        case 6: {  // a piece of another seed put in
            const Bytes &other = m_seeds[below(m_seeds.size())];
            const std::size_t from = below(other.size() + 1);
            const std::size_t length = below(other.size() - from + 1);
            input.insert(input.begin() + std::ptrdiff_t(below(input.size() + 1)), other.begin() + std::ptrdiff_t(from),
                         other.begin() + std::ptrdiff_t(from + length));
            break;
        }
        case 7: {  // a piece of the input repeated
            const std::size_t from = below(input.size() + 1);
            const Bytes piece(input.begin() + std::ptrdiff_t(from),
                              input.begin() + std::ptrdiff_t(from + below(input.size() - from + 1)));
            input.insert(input.begin() + std::ptrdiff_t(below(input.size() + 1)), piece.begin(), piece.end());
            break;
        }
        case 8:  // a letter's case changed
            if (!input.empty()) {
                std::uint8_t &byte = input[below(input.size())];
                if ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z')
                    byte ^= 0x20;
            }
            break;
        default:  // cut short
            input.resize(below(input.size() + 1));
            break;
        }
        if (input.size() > MaxLength)
            input.resize(MaxLength);
    }

private:
    static constexpr std::size_t MaxLength = 4096;
    std::mt19937 m_random;
    const std::vector<Bytes> &m_seeds;
    const std::vector<Bytes> &m_dictionary;
};

void run(const Bytes &input)
{
    current = &input;
    // An exact-size copy, so a read past the end is a read past the block.
    const auto copy = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(input.size(), 1));
    std::copy(input.begin(), input.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), input.size());
    current = nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    unsigned long runs = 100000;
    unsigned seed = 20261209;
    std::vector<Bytes> dictionary;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("-runs="))
            runs = std::strtoul(argv[i] + 6, nullptr, 10);
        else if (argument.starts_with("-seed="))
            seed = unsigned(std::strtoul(argv[i] + 6, nullptr, 10));
        else if (argument.starts_with("-dict="))
            dictionary = readDictionary(std::string(argument.substr(6)));
        else if (std::filesystem::is_directory(argument))
            for (const auto &entry : std::filesystem::directory_iterator(argument))
                files.push_back(entry.path());
        else {
            std::fprintf(stderr, "fuzz: %s is neither an option nor a corpus folder\n", argv[i]);
            return 2;
        }
    }
    // Folder order differs between file systems; the inputs must not.
    std::sort(files.begin(), files.end());
    std::vector<Bytes> seeds;
    for (const auto &file : files)
        seeds.push_back(readFile(file));
    if (seeds.empty()) {
        std::fprintf(stderr, "fuzz: no seeds\n");
        return 2;
    }

    std::signal(SIGABRT, printFailingInput);
    for (const Bytes &input : seeds)
        run(input);
    // Half the time the last input is changed further, so changes add up.
    TMutator mutator(seed, seeds, dictionary);
    Bytes input = seeds.front();
    for (unsigned long i = 0; i < runs; ++i) {
        if (mutator.below(2) == 0)
            input = seeds[mutator.below(seeds.size())];
        for (std::size_t changes = 1 + mutator.below(4); changes > 0; --changes)
            mutator.mutate(input);
        run(input);
    }
    std::printf("fuzz: %zu seeds and %lu changed inputs passed (seed %u, %zu dictionary words)\n", seeds.size(), runs,
                seed, dictionary.size());
    return 0;
}
