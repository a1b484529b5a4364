// The inner loops that a conversion spends its time in, each on its own: built from one tree
// and then another, two binaries run in turns tell whether a change to a loop pays.
#include "codec/class1.h"
#include "codec/code_page.h"
#include "codec/utf8.h"
#include "form/field.h"
#include "string_streams.h"

#include <benchmark/benchmark.h>

namespace orvanthe {
namespace {

// An address of mixed ASCII and Chinese, about `units` long.
std::u16string address(std::size_t units) {
    static constexpr std::u16string_view pieces[] = {
        u"http://example.com/", u"下载/", u"文件-", u"2024", u"目录", u"?q=中文&x=1"};
    std::u16string text;
    for (std::size_t k = 0; text.size() < units; ++k) {
        text += pieces[k % std::size(pieces)];
    }
    return text;
}

constexpr std::size_t length = 1 << 16;

void FindUnit(benchmark::State& state) {
    const std::u16string text = address(length);
    for (auto _ : state) {
        benchmark::DoNotOptimize(findUnit(text, u'\0'));
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size() * 2));
}

void AppendBytes(benchmark::State& state) {
    const std::u16string text = address(length);
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        bytes.clear();
        CodePage::ansi().appendBytes(text, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size() * 2));
}

void DecodeUtf8(benchmark::State& state) {
    const std::string bytes = encodeUtf8(address(length));
    const std::span span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeUtf8(span)->data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(bytes.size()));
}

// Decoding a body of code page bytes, most of it the walk from those bytes to text.
void Base64Decode(benchmark::State& state) {
    const Class1 codec;
    const std::u16string body = codec.Base64Encode(address(length));
    for (auto _ : state) {
        benchmark::DoNotOptimize(codec.Base64Decode(body).data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(body.size()));
}

// The command-line tool through the form logic, which escapes each result for a terminal:
// lines of addresses to their addresses.
void ToolByForm(benchmark::State& state) {
    std::string lines;
    const std::string line = encodeUtf8(address(100));
    for (int n = 0; n < 1000; ++n) {
        lines += line + '\n';
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(test::linkTool(test::target(0), lines, false));
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(lines.size()));
}

BENCHMARK(FindUnit);
BENCHMARK(AppendBytes);
BENCHMARK(DecodeUtf8);
BENCHMARK(Base64Decode);
BENCHMARK(ToolByForm);

} // namespace
} // namespace orvanthe

BENCHMARK_MAIN();
