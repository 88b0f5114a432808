#include "page_corpus.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace titora::bench {
namespace {

constexpr std::size_t kLinkedPages = 200;

const char* const kWords[] = {"page",    "title",    "shop",    "garden",  "river",  "about",
                              "contact", "news",     "price",   "product", "market", "winter",
                              "north",   "delivery", "service", "order",   "the",    "and",
                              "of",      "with",     "for",     "our",     "your",   "new"};

std::string Words(std::mt19937& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += kWords[random() % std::size(kWords)];
    }
    return text;
}

// One line of body markup, of the kinds a hand-kept site holds.
std::string BodyLine(std::mt19937& random) {
    switch (random() % 6) {
    case 0:
        return "<p>" + Words(random, 8 + random() % 20) + "</p>";
    case 1:
        return "  <li><a href=\"/" + Words(random, 1) + ".html\">" + Words(random, 3) + "</a></li>";
    case 2:
        return "<div class=\"" + Words(random, 1) + "\">" + Words(random, 5) + "</div>";
    case 3:
        return "<td align=\"right\">" + std::to_string(random() % 10000) + "</td>";
    case 4:
        return "<img src=\"img/" + Words(random, 1) + ".jpg\" width=\"120\" alt=\"" +
               Words(random, 2) + "\">";
    default:
        return "<h2>" + Words(random, 4) + "</h2>";
    }
}

std::string MakePage(std::mt19937& random, std::size_t size, const char* br) {
    std::string page;
    page.reserve(size + 200);
    const auto line = [&](const std::string& text) { page.append(text).append(br); };
    line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    line("<html>");
    line("<head>");
    line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">");
    line("<title>" + Words(random, 4) + "</title>");
    line("<link rel=\"stylesheet\" href=\"style.css\">");
    line("</head>");
    line("<body bgcolor=\"#FFFFFF\">");
    while (page.size() + 20 < size) {
        line(BodyLine(random));
    }
    line("</body>");
    page += "</html>";
    return page;
}

std::string WithCrLf(const std::string& page) {
    std::string text;
    text.reserve(page.size() + page.size() / 16);
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n' && (i == 0 || page[i - 1] != '\r')) {
            text += '\r';
        }
        text += page[i];
    }
    return text;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + path);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            throw std::runtime_error("cannot write " + path);
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

} // namespace

PageCorpus::PageCorpus(bool withBigPage) {
    char name[] = "/tmp/titora-bench-XXXXXX";
    if (::mkdtemp(name) == nullptr) {
        throw std::runtime_error("cannot create a scratch folder");
    }
    folder_ = name;
    std::mt19937 random(2024);
    std::uniform_int_distribution<std::size_t> size(1024, 64 * 1024);
    for (int i = 0; i < 10000; ++i) {
        pages_.push_back(folder_ + "/page" + std::to_string(i) + ".html");
        originals_.push_back(MakePage(random, size(random), i % 2 == 0 ? "\n" : "\r\n"));
        totalBytes_ += originals_.back().size();
    }
    restorePages();
    if (!withBigPage) {
        return;
    }
    bigPage_ = folder_ + "/big.html";
    bigOriginal_ = MakePage(random, 200u << 20, "\n");
    restoreBigPage();
    ::mkdir((folder_ + "/linked").c_str(), 0755);
    ::mkdir((folder_ + "/state").c_str(), 0700);
    ::setenv("XDG_STATE_HOME", (folder_ + "/state").c_str(), 1);
    for (std::size_t i = 0; i < kLinkedPages; ++i) {
        linkedPages_.push_back(folder_ + "/linked/page" + std::to_string(i) + ".html");
    }
    bigLinkedPage_ = folder_ + "/linked/big.html";
    restoreLinkedPages();
    restoreBigLinkedPage();
    for (std::size_t i = 0; i < linkedPages_.size(); ++i) {
        ::link(linkedPages_[i].c_str(), (linkedPages_[i] + ".link").c_str());
        rewritten_[linkedPages_[i]] = WithCrLf(originals_[i]);
    }
    ::link(bigLinkedPage_.c_str(), (bigLinkedPage_ + ".link").c_str());
    rewritten_[bigLinkedPage_] = WithCrLf(bigOriginal_);
}

PageCorpus::~PageCorpus() {
    for (const std::string& page : pages_) {
        ::unlink(page.c_str());
    }
    if (bigPage_.empty()) {
        ::rmdir(folder_.c_str());
        return;
    }
    ::unlink(bigPage_.c_str());
    for (const std::string& page : linkedPages_) {
        ::unlink(page.c_str());
        ::unlink((page + ".link").c_str());
    }
    ::unlink(bigLinkedPage_.c_str());
    ::unlink((bigLinkedPage_ + ".link").c_str());
    ::rmdir((folder_ + "/linked").c_str());
    // The journals' slot files stay from save to save.
    const std::string journals = folder_ + "/state/titora";
    if (DIR* dir = ::opendir(journals.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    }
    ::rmdir(journals.c_str());
    ::rmdir((folder_ + "/state").c_str());
    ::rmdir(folder_.c_str());
}

void PageCorpus::restore(const std::vector<std::string>& pages) const {
    for (std::size_t i = 0; i < pages.size(); ++i) {
        WriteWhole(pages[i], originals_[i]);
    }
    ::sync();
}

void PageCorpus::restoreBig(const std::string& page) const {
    WriteWhole(page, bigOriginal_);
    ::sync();
}

const PageCorpus& Corpus() {
    static const PageCorpus corpus;
    return corpus;
}

} // namespace titora::bench
