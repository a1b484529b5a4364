// The conversions on long addresses, each beside the same work done by general-purpose
// libraries (ICU's bulk conversion and OpenSSL's Base64) and beside a plain copy.
#include "form/clipboard.h"
#include "form/form1.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <openssl/evp.h>
#include <string>
#include <unicode/ucnv.h>
#include <vector>

namespace orvanthe {
namespace {

class NoClipboard : public Clipboard {
public:
    std::optional<std::u16string> text() override { return std::nullopt; }
    void setText(std::u16string_view) override {}
};

// An address of mixed ASCII and Chinese whose code page bytes number about `bytes`.
std::u16string address(std::size_t bytes) {
    static constexpr std::u16string_view pieces[] = {
        u"http://example.com/", u"下载/", u"文件-", u"2024", u"目录", u"?q=中文&x=1"};
    std::u16string text;
    std::size_t size = 0;
    for (std::size_t k = 0; size < bytes; ++k) {
        const auto piece = pieces[k % std::size(pieces)];
        text += piece;
        for (const char16_t c : piece) {
            size += c < 0x80 ? 1 : 2;
        }
    }
    return text;
}

// ----- The program's own conversions, through the form logic.

void HttpToAll(benchmark::State& state) {
    NoClipboard clipboard;
    Form1 form(clipboard);
    form.setText(FieldId::Text1, address(std::size_t(state.range(0))));
    for (auto _ : state) {
        form.Command12();
        benchmark::DoNotOptimize(form.text(FieldId::Text4).data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

template <FieldId field, void (Form1::*command)()>
void LinkToHttp(benchmark::State& state) {
    NoClipboard clipboard;
    Form1 form(clipboard);
    form.setText(FieldId::Text1, address(std::size_t(state.range(0))));
    form.Command12();
    for (auto _ : state) {
        (form.*command)();
        benchmark::DoNotOptimize(form.text(FieldId::Text1).data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// ----- The same conversions with ICU and OpenSSL.

struct Libraries {
    Libraries() {
        UErrorCode status = U_ZERO_ERROR;
        converter.reset(ucnv_open("windows-936-2000", &status));
        ucnv_setSubstChars(converter.get(), "?", 1, &status);
    }

    std::string bytes(std::u16string_view text) {
        UErrorCode status = U_ZERO_ERROR;
        std::string out(2 * text.size(), '\0');
        out.resize(
            std::size_t(ucnv_fromUChars(converter.get(), out.data(), std::int32_t(out.size()),
                                        text.data(), std::int32_t(text.size()), &status)));
        return out;
    }
    std::u16string text(std::string_view bytes) {
        UErrorCode status = U_ZERO_ERROR;
        std::u16string out(bytes.size(), u'\0');
        out.resize(std::size_t(ucnv_toUChars(converter.get(), out.data(), std::int32_t(out.size()),
                                             bytes.data(), std::int32_t(bytes.size()), &status)));
        return out;
    }
    // scheme + Base64(wrapped address) + tail, as UTF-16 text.
    std::u16string link(std::u16string_view scheme, std::u16string_view wrapper,
                        std::u16string_view address, std::u16string_view tail) {
        std::u16string wrapped(wrapper);
        wrapped += address;
        wrapped += wrapper;
        const std::string raw = bytes(wrapped);
        std::string body(4 * ((raw.size() + 2) / 3) + 1, '\0');
        body.resize(std::size_t(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(body.data()),
                                                reinterpret_cast<const unsigned char*>(raw.data()),
                                                int(raw.size()))));
        std::u16string result(scheme);
        result.append(body.begin(), body.end());
        result += tail;
        return result;
    }
    // The address of a link: scheme and tail cut off, Base64 decoded, wrapper removed.
    std::u16string address(std::u16string_view link, std::size_t scheme, std::size_t tail,
                           std::size_t wrapper) {
        const std::string body = bytes(link.substr(scheme, link.size() - scheme - tail));
        std::string raw(body.size() / 4 * 3 + 1, '\0');
        const int size =
            EVP_DecodeBlock(reinterpret_cast<unsigned char*>(raw.data()),
                            reinterpret_cast<const unsigned char*>(body.data()), int(body.size()));
        raw.resize(std::size_t(size));
        raw.resize(std::min(raw.find('\0'), raw.size()));
        return text(std::string_view(raw).substr(wrapper, raw.size() - 2 * wrapper));
    }

    std::unique_ptr<UConverter, void (*)(UConverter*)> converter{nullptr, ucnv_close};
};

void LibrariesHttpToAll(benchmark::State& state) {
    Libraries libraries;
    const std::u16string http = address(std::size_t(state.range(0)));
    for (auto _ : state) {
        auto thunder = libraries.link(u"thunder://", u"", u"AA" + http + u"ZZ", u"");
        auto flashget = libraries.link(u"flashget://", u"[FLASHGET]", http, u"&velkaron777");
        auto qqdl = libraries.link(u"qqdl://", u"", http, u"");
        benchmark::DoNotOptimize(thunder.data());
        benchmark::DoNotOptimize(flashget.data());
        benchmark::DoNotOptimize(qqdl.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

template <int form>
void LibrariesLinkToHttp(benchmark::State& state) {
    Libraries libraries;
    const std::u16string http = address(std::size_t(state.range(0)));
    const std::u16string links[] = {
        libraries.link(u"thunder://", u"", u"AA" + http + u"ZZ", u""),
        libraries.link(u"flashget://", u"[FLASHGET]", http, u"&velkaron777"),
        libraries.link(u"qqdl://", u"", http, u""),
    };
    const std::size_t scheme[] = {10, 11, 7}, tail[] = {0, 12, 0}, wrapper[] = {2, 10, 0};
    for (auto _ : state) {
        auto result = libraries.address(links[form], scheme[form], tail[form], wrapper[form]);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// ----- The floor: copying the same bytes.

void MemoryCopy(benchmark::State& state) {
    const std::vector<char> from(std::size_t(state.range(0)), 'x');
    std::vector<char> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t size : {1 << 10, 64 << 10, 1 << 20, 16 << 20}) {
        benchmark->Arg(size);
    }
    benchmark->Unit(benchmark::kMicrosecond);
}

BENCHMARK(HttpToAll)->Apply(sizes);
BENCHMARK(LibrariesHttpToAll)->Apply(sizes);
BENCHMARK(LinkToHttp<FieldId::Text2, &Form1::Command9>)->Name("ThunderToHttp")->Apply(sizes);
BENCHMARK(LibrariesLinkToHttp<0>)->Name("LibrariesThunderToHttp")->Apply(sizes);
BENCHMARK(LinkToHttp<FieldId::Text3, &Form1::Command10>)->Name("FlashgetToHttp")->Apply(sizes);
BENCHMARK(LibrariesLinkToHttp<1>)->Name("LibrariesFlashgetToHttp")->Apply(sizes);
BENCHMARK(LinkToHttp<FieldId::Text4, &Form1::Command11>)->Name("QqdlToHttp")->Apply(sizes);
BENCHMARK(LibrariesLinkToHttp<2>)->Name("LibrariesQqdlToHttp")->Apply(sizes);
BENCHMARK(MemoryCopy)->Apply(sizes);

} // namespace
} // namespace orvanthe

BENCHMARK_MAIN();
