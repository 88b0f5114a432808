// Generated page files for the engine benchmark: 10,000 pages of realistic markup
// between 1 KB and 64 KB, half with LF and half with CR LF line breaks, and one page
// of 200 MB, in a scratch folder under /tmp that goes away with the corpus. Copies of
// the first 200 pages and of the big one, each with a second name, are rewritten in
// place; their journals go to a state folder in the scratch folder.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace titora::bench {

class PageCorpus {
public:
    // Without `withBigPage` only the 10,000 pages are made; bigPage() is then empty.
    explicit PageCorpus(bool withBigPage = true);
    ~PageCorpus();
    PageCorpus(const PageCorpus&) = delete;
    PageCorpus& operator=(const PageCorpus&) = delete;

    const std::vector<std::string>& pages() const { return pages_; }
    const std::string& bigPage() const { return bigPage_; }
    std::size_t totalBytes() const { return totalBytes_; }
    const std::vector<std::string>& linkedPages() const { return linkedPages_; }
    const std::string& bigLinkedPage() const { return bigLinkedPage_; }
    // The bytes a rewrite of a page rewritten in place leaves, but for its title: every
    // line break CR LF.
    const std::string& rewritten(const std::string& page) const { return rewritten_.at(page); }

    // Puts back the bytes every page had when generated, and flushes them, so that
    // each timed pass of a write starts from the same files with no writing pending.
    void restorePages() const { restore(pages_); }
    void restoreBigPage() const { restoreBig(bigPage_); }
    void restoreLinkedPages() const { restore(linkedPages_); }
    void restoreBigLinkedPage() const { restoreBig(bigLinkedPage_); }

private:
    void restore(const std::vector<std::string>& pages) const;
    void restoreBig(const std::string& page) const;

    std::string folder_;
    std::vector<std::string> pages_;
    std::vector<std::string> originals_;
    std::string bigPage_;
    std::string bigOriginal_;
    std::vector<std::string> linkedPages_;
    std::string bigLinkedPage_;
    std::map<std::string, std::string> rewritten_;
    std::size_t totalBytes_ = 0;
};

// The corpus, generated on first use.
const PageCorpus& Corpus();

} // namespace titora::bench
