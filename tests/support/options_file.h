#pragma once
// Expected options files for the tests that drive the launcher: built from the nine settings, so
// that a test names only the lines it cares about. The save format itself is spelled out once, in
// the options file's own unit test, and the first-run file once, in the test data.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The nine lines of an options file as text, in file order. The defaults are the file that most
// tests start from.
struct OptionsLines {
    std::string player1_name = "Anna";
    std::string player2_name = "Bob";
    std::string aux1 = "1";
    std::string aux2 = "0";
    std::string screen_width = "1024";
    std::string screen_height = "768";
    std::string aux3 = "0";
    std::string music_volume = "30";
    std::string sound_volume = "70";
};

// The lines, each followed by the line end: the bytes of the file.
std::string options_file_bytes(const OptionsLines& lines, std::string_view line_end = "\r\n");
// The lines of a file that ends every line with CR LF and holds no other CR or LF; nothing when
// the bytes are not such a file.
std::optional<std::vector<std::string>> split_crlf_lines(const std::string& bytes);

// The first-run file that the launcher writes on a 1366 x 768 desktop, as the test data holds it
// (tests/launcher/options/fuzz_corpus/first_run.txt, which also seeds the fuzzer and is the
// package test's and the benchmarks' file); empty when it cannot be read.
std::string first_run_file();
// The same for a desktop of the given size.
std::string first_run_file(int width, int height);
