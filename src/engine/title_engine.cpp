#include "title_engine.h"

#include "careful_save.h"
#include "declared_encoding.h"
#include "journal.h"
#include "line_breaks.h"
#include "page_file.h"
#include "page_head.h"
#include "page_text.h"
#include "undo_copies.h"

#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

namespace titora {
namespace {

// A text that cannot be held in memory is the page buffer's capacity exceeded.
template <typename Operation> auto WithinCapacity(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        throw TitleEngineError("Text exceeds memo capacity");
    } catch (const std::length_error&) {
        throw TitleEngineError("Text exceeds memo capacity");
    }
}

// The start of the page at `path` up to its title, after a save of it cut short has
// been finished.
PageHead ReadHeadOf(const std::string& path) {
    PageFile page(path, PageFile::Purpose::kReading);
    RecoverInterruptedSave(page);
    return ReadPageHead(page, LeadBytes::ForSystem());
}

// Room to keep in front of a page loaded before its title's bytes are known: a title
// typed into the input box (255 characters at most) even when every character becomes a
// character reference. A longer title still goes in, only with more bytes moved.
constexpr std::size_t kTypedTitleRoom = 2048 + kLargestInsertion;

TitleEncoder Fixed(const std::string& title) {
    return [&title](std::string_view) { return title; };
}

// Reads `page` with `front` bytes of room for the title and puts in place, in `buffer`,
// the title that `encodeTitle` makes for the encoding the page declares, raising the
// errors of a page that cannot take a title. Returns the title's bytes; with `old`, the
// page's title before the change goes there.
std::string RetitleLoaded(const PageFile& page, const TitleEncoder& encodeTitle, std::size_t front,
                          const LeadBytes& lead, PageBuffer* buffer, std::string* old = nullptr) {
    PageBytes bytes = ReadPage(page, front, true);
    std::string title = encodeTitle(PageEncoding(bytes.view(), false));
    if (old != nullptr) {
        *old = TitleOfPageBytes(bytes.view(), lead);
    }
    switch (RetitlePage(std::move(bytes), title, lead, buffer)) {
    case RetitleStatus::kDone:
        return title;
    case RetitleStatus::kHoldsNul:
        // The text ends before the first NUL, so saving it would cut the file there: a
        // UTF-16 page or a binary file would be destroyed.
        throw TitleEngineError("Cannot write a title into " + page.path() +
                               ": the file holds a NUL byte");
    case RetitleStatus::kNoEndOfTitle:
        break;
    }
    throw TitleEngineError("Cannot find the end of the title in " + page.path());
}

// The largest page ReadTitleElements reads into a block on the stack.
constexpr std::size_t kSmallPage = 32 * 1024;

// How many times a save starts again from the read when someone else changed the page
// meanwhile, before it gives up.
constexpr int kRestarts = 3;

void SaveTitle(const std::string& path, const TitleEncoder& encodeTitle, std::size_t front) {
    WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kWriting);
        if (page.writable()) {
            LockForSave(page);
        }
        RecoverInterruptedSave(page);
        const unsigned codePage = platform::SystemCodePage();
        for (int attempt = 0;; ++attempt) {
            // What the page is like before its text is read, to tell afterwards whether
            // someone else wrote it meanwhile.
            if (!page.refreshInfo()) {
                throw TitleEngineError("Cannot open file " + path);
            }
            PageBuffer buffer;
            const std::string title =
                RetitleLoaded(page, encodeTitle, front, LeadBytes::ForCodePage(codePage), &buffer);
            SaveRequest request;
            request.text = buffer.text();
            request.unchanged = !buffer.modified();
            request.title = title;
            request.codePage = codePage;
            if (SavePage(page, request) == Saved::kYes) {
                return;
            }
            if (attempt == kRestarts) {
                throw TitleEngineError("Cannot create file " + path);
            }
        }
    });
}

[[noreturn]] void Refuse(RetitleStatus status, const PageFile& page) {
    if (status == RetitleStatus::kHoldsNul) {
        throw TitleEngineError("Cannot write a title into " + page.path() +
                               ": the file holds a NUL byte");
    }
    throw TitleEngineError("Cannot find the end of the title in " + page.path());
}

// WriteTitle as `options` say: the page's bytes are read whole, kept as an undo copy where
// asked, and retitled either through the page buffer or, keeping the line breaks, byte for
// byte around the title.
void SaveTitleWith(const std::string& path, const TitleEncoder& encodeTitle,
                   const WriteOptions& options) {
    WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kWriting);
        CheckSavable(page);
        // Before the page's lock, as an undo takes them: else each could wait for the other.
        HoldUndoCopies(options.undo, page.path());
        LockForSave(page);
        RecoverInterruptedSave(page);
        const unsigned codePage = platform::SystemCodePage();
        const LeadBytes lead = LeadBytes::ForCodePage(codePage);
        for (int attempt = 0;; ++attempt) {
            // What the page is like before its text is read, to tell afterwards whether
            // someone else wrote it meanwhile.
            if (!page.refreshInfo()) {
                throw TitleEngineError("Cannot open file " + path);
            }
            PageBytes bytes = ReadPage(page, kTypedTitleRoom, true);
            const std::string title = encodeTitle(PageEncoding(bytes.view(), false));
            std::string newBytes; // keeping the line breaks: the page's new bytes
            std::string oldCopy;  // through the page buffer: the bytes as read, for undo
            PageBuffer buffer;
            std::string_view text;
            std::string_view old;
            RetitleStatus status = RetitleStatus::kDone;
            if (options.keepLineBreaks) {
                status = RetitleKeepingLineBreaks(bytes.view(), title, &newBytes);
                text = newBytes;
                old = bytes.view();
            } else {
                // The page buffer takes the bytes over: the undo copy needs them as read.
                if (options.undo != nullptr) {
                    oldCopy.assign(bytes.view());
                }
                status = RetitlePage(std::move(bytes), title, lead, &buffer);
                text = buffer.text();
                old = oldCopy;
            }
            if (status != RetitleStatus::kDone) {
                Refuse(status, page);
            }
            SaveRequest request;
            request.text = text;
            request.title = title;
            request.codePage = codePage;
            request.journalText = options.keepLineBreaks;
            request.unchanged = options.keepLineBreaks ? text == old : !buffer.modified();
            // A page that keeps its bytes needs no undo copy; the save still clears the
            // temporaries that killed saves left beside it.
            std::optional<UndoCopy> copy;
            if (!request.unchanged) {
                copy.emplace(options.undo, page, old, title, codePage, options.keepLineBreaks);
            }
            if (SavePage(page, request) == Saved::kYes) {
                if (copy) {
                    copy->commit();
                }
                return;
            }
            if (attempt == kRestarts) {
                throw TitleEngineError("Cannot create file " + path);
            }
        }
    });
}

} // namespace

std::string ReadTitle(const std::string& path) {
    return WithinCapacity([&] { return ReadHeadOf(path).title; });
}

PageTitle ReadPageTitle(const std::string& path) {
    return WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kReading);
        RecoverInterruptedSave(page);
        PageHead head = ReadPageHead(page, LeadBytes::ForSystem());
        std::string encoding = PageEncoding(head.bytes, true);
        const bool bigEndian = encoding == "UTF-16BE";
        if (!bigEndian && encoding != "UTF-16LE") {
            return PageTitle{std::move(head.title), std::move(encoding), head.found};
        }
        // A UTF-16 page holds NUL bytes, at which the text ends for ReadTitle: its title
        // is found in its code units instead, and given in its own bytes.
        const PageBytes bytes = ReadPage(page);
        const NarrowedUtf16 narrowed = NarrowUtf16(bytes.view(), bigEndian);
        const std::string_view text(narrowed.text.data(), TextLength(narrowed.text));
        const std::optional<TitleSpan> span = FindTitle(text);
        if (!span) {
            return PageTitle{std::string(kUntitled), std::move(encoding), false};
        }
        const std::string_view title =
            bytes.view().substr(narrowed.start + 2 * span->begin, 2 * (span->end - span->begin));
        return PageTitle{std::string(title), std::move(encoding)};
    });
}

PageTitleElements ReadTitleElements(const std::string& path) {
    return WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kReading);
        RecoverInterruptedSave(page);
        // Most pages are read into this block on the stack, in one read, with no memory
        // to take and give back for each of the many pages a check reads; a longer page,
        // or one that grew past it meanwhile, is read whole into memory of its own.
        char small[kSmallPage];
        std::size_t got = 0;
        std::optional<PageBytes> large;
        if (page.info().size < sizeof small &&
            !platform::Read(page.file(), 0, small, sizeof small, &got, page.info().size)) {
            throw TitleEngineError("Cannot open file " + path, platform::LastErrorText());
        }
        if (page.info().size >= sizeof small || got == sizeof small) {
            large.emplace(ReadPage(page));
        }
        const std::string_view view = large ? large->view() : std::string_view(small, got);
        PageTitleElements result;
        result.declaredEncoding = PageEncoding(view, false);
        // A UTF-16 page is looked at in its code units: a unit counts as a byte for lines
        // and columns, and each title's text is its bytes.
        const bool bigEndian = result.declaredEncoding == "UTF-16BE";
        const bool utf16 = bigEndian || result.declaredEncoding == "UTF-16LE";
        const NarrowedUtf16 narrowed = utf16 ? NarrowUtf16(view, bigEndian) : NarrowedUtf16{};
        const std::string_view whole = utf16 ? std::string_view(narrowed.text) : view;
        // The text ends at the first NUL, as for ReadTitle.
        const std::string_view text = whole.substr(0, TextLength(whole));
        std::size_t line = 1;
        std::size_t lineStart = 0;
        std::size_t counted = 0;
        for (const TitleSpan& span : FindTitleElements(text)) {
            for (; counted < span.begin; ++counted) {
                const char c = text[counted];
                const bool crlf =
                    c == '\r' && counted + 1 < text.size() && text[counted + 1] == '\n';
                if ((c == '\n' || c == '\r') && !crlf) {
                    ++line;
                    lineStart = counted + 1;
                }
            }
            const std::string_view own =
                utf16 ? view.substr(narrowed.start + 2 * span.begin, 2 * (span.end - span.begin))
                      : text.substr(span.begin, span.end - span.begin);
            result.elements.push_back(
                TitleElement{std::string(own), span.closed, line, span.begin - lineStart + 1});
        }
        return result;
    });
}

void WriteTitle(const std::string& path, const std::string& title) {
    SaveTitle(path, Fixed(title), RoomInFrontFor(title));
}

void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle) {
    SaveTitle(path, encodeTitle, kTypedTitleRoom);
}

void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle,
                const WriteOptions& options) {
    if (!options.keepLineBreaks && options.undo == nullptr) {
        SaveTitle(path, encodeTitle, kTypedTitleRoom);
        return;
    }
    SaveTitleWith(path, encodeTitle, options);
}

PageOutline OutlinePage(const std::string& path) {
    return WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kWriting);
        RecoverInterruptedSave(page);
        const PageBytes bytes = ReadPage(page);
        const std::string_view all = bytes.view();
        const std::string_view text = all.substr(0, TextLength(all));
        PageOutline outline;
        outline.size = all.size();
        outline.declaredEncoding = PageEncoding(all, false);
        outline.title = TitleOfPageBytes(all, LeadBytes::ForSystem());
        outline.hasTitle = FindTitle(text).has_value();
        if (!outline.hasTitle) {
            outline.title.clear();
        }
        outline.heading = std::string(FirstHeadingText(text));
        TitleEdit edit;
        const bool closed = PlanTitleEdit(text, {}, &edit);
        if (!page.writable()) {
            outline.refusal = "Cannot create file " + path;
            outline.refusalReason = page.whyNotWritable();
        } else if (text.size() != all.size()) {
            outline.refusal = "Cannot write a title into " + path + ": the file holds a NUL byte";
        } else if (!closed) {
            outline.refusal = "Cannot find the end of the title in " + path;
        }
        outline.place = static_cast<int>(edit.place);
        return outline;
    });
}

std::string PreviewWriteTitle(const std::string& path, const TitleEncoder& encodeTitle) {
    return WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kWriting);
        RecoverInterruptedSave(page);
        PageBuffer buffer;
        std::string old;
        RetitleLoaded(page, encodeTitle, kTypedTitleRoom, LeadBytes::ForSystem(), &buffer, &old);
        CheckSavable(page);
        return old;
    });
}

RecoveryReport RecoverInterruptedSaves() {
    return RecoverAllJournals();
}

} // namespace titora
