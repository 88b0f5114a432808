#include "retitle_model.h"

#include "html_text.h"
#include "title_text.h"

#include <new>
#include <QHash>

namespace titora {
namespace {

QString Local(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString WithoutExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

// The last part of a folder's path that ends with a separator.
QString FolderName(const QString& folder) {
    QString path = folder;
#ifdef Q_OS_WIN
    path.replace(u'\\', u'/');
#endif
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString WithoutTags(const QString& html) {
    QString text;
    text.reserve(html.size());
    bool inTag = false;
    for (const QChar c : html) {
        if (c == u'<') {
            inTag = true;
        } else if (c == u'>' && inTag) {
            inTag = false;
        } else if (!inTag) {
            text += c;
        }
    }
    return text;
}

// The title as a reader of the page sees it: what warnings are about.
QString Shown(const QString& title) {
    return CollapseWhiteSpace(DecodeCharacterReferences(title));
}

qsizetype Characters(const QString& text) {
    qsizetype count = 0;
    for (const QChar c : text) {
        count += c.isLowSurrogate() ? 0 : 1;
    }
    return count;
}

RetitleAction InsertionAction(int place) {
    switch (place) {
    case 1:
        return RetitleAction::kInsertTitle;
    case 2:
        return RetitleAction::kInsertHead;
    case 3:
        return RetitleAction::kInsertAtStart;
    default:
        return RetitleAction::kReplace;
    }
}

// A few words for the engine's `message` about a page it refuses.
QString ReasonOf(const std::string& message, bool read) {
    if (!read) {
        return QStringLiteral("the file cannot be read");
    }
    if (message.find(": the file holds a NUL byte") != std::string::npos) {
        return QStringLiteral("the file holds a NUL byte");
    }
    if (message.rfind("Cannot find the end of the title", 0) == 0) {
        return QStringLiteral("the title is not closed");
    }
    if (message.rfind("Cannot create file", 0) == 0) {
        return QStringLiteral("the file may not be written");
    }
    return Local(message);
}

// Whether writing `title` would leave the page's title bytes as they are.
bool SameTitle(const RetitlePage& page, const QString& oldTitle, const QString& title) {
    return page.outline.hasTitle && oldTitle == title &&
           EncodeTitle(title, page.outline.declaredEncoding) == page.outline.title;
}

} // namespace

RetitlePage ReadRetitlePage(const std::string& folder, const std::string& name) {
    RetitlePage page{folder, name, {}, {}, {}};
    try {
        page.outline = OutlinePage(page.path());
    } catch (const TitleEngineError& e) {
        page.readError = e.what();
        page.readReason = e.reason();
    }
    return page;
}

std::vector<RetitlePage> ReadRetitlePages(const std::vector<std::string>& paths,
                                          Progress* progress) {
    std::vector<RetitlePage> pages;
    pages.reserve(paths.size());
    if (progress != nullptr) {
        progress->Start(paths.size());
    }
    for (const std::string& path : paths) {
        if (StopRequested(progress)) {
            break;
        }
        PathParts parts = SplitPath(path);
        pages.push_back(ReadRetitlePage(parts.folder, parts.name));
        if (progress != nullptr) {
            progress->Step();
        }
    }
    return pages;
}

PageValues ValuesOf(const RetitlePage& page, std::size_t n) {
    PageValues values;
    const PageOutline& outline = page.outline;
    if (outline.hasTitle) {
        values.title = DecodeTitle(outline.title, outline.declaredEncoding);
    }
    values.name = WithoutExtension(Local(page.name));
    values.folder = FolderName(Local(page.folder));
    if (!outline.heading.empty()) {
        values.h1 = CollapseWhiteSpace(DecodeCharacterReferences(
            WithoutTags(DecodeTitle(outline.heading, outline.declaredEncoding))));
    }
    values.n = n;
    return values;
}

std::vector<PageValues> ValuesOf(const std::vector<RetitlePage>& pages) {
    std::vector<PageValues> values;
    values.reserve(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        values.push_back(ValuesOf(pages[i], i + 1));
    }
    return values;
}

std::vector<PagePlan> PlanRetitle(const std::vector<RetitlePage>& pages, const CompiledRule& rule) {
    return PlanRetitle(pages, ValuesOf(pages), rule);
}

std::vector<PagePlan> PlanRetitle(const std::vector<RetitlePage>& pages,
                                  const std::vector<PageValues>& allValues,
                                  const CompiledRule& rule) {
    std::vector<PagePlan> plans(pages.size());
    QHash<QString, int> uses;
    std::vector<QString> shown(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const RetitlePage& page = pages[i];
        PagePlan& plan = plans[i];
        if (!page.readError.empty() || !page.outline.refusal.empty()) {
            plan.action = RetitleAction::kRefused;
            const bool read = page.readError.empty();
            plan.message = Local(read ? page.outline.refusal : page.readError);
            plan.reason = ReasonOf(read ? page.outline.refusal : page.readError, read);
            plan.oldTitle = page.readError.empty() && !page.outline.hasTitle
                                ? QStringLiteral("UnTitled")
                                : DecodeTitle(page.outline.title, page.outline.declaredEncoding);
            continue;
        }
        const PageValues& values = allValues[i];
        plan.oldTitle = page.outline.hasTitle ? values.title : QStringLiteral("UnTitled");
        const std::optional<QString> title = rule.Apply(values);
        plan.newTitle = title.value_or(values.title);
        if (!title || SameTitle(page, values.title, *title)) {
            plan.action = RetitleAction::kUnchanged;
        } else {
            plan.action = InsertionAction(page.outline.place);
        }
        // A page without a title that keeps none has no title to warn about.
        if (plan.action == RetitleAction::kUnchanged && !page.outline.hasTitle) {
            continue;
        }
        shown[i] = Shown(plan.newTitle);
        if (shown[i].isEmpty()) {
            plan.warnings |= kEmptyTitle;
        } else {
            ++uses[shown[i]];
        }
        if (Characters(shown[i]) > kLongTitleLength) {
            plan.warnings |= kLongTitle;
        }
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (!shown[i].isEmpty() && uses.value(shown[i]) > 1) {
            plans[i].warnings |= kDuplicateTitle;
        }
    }
    return plans;
}

QString ActionText(const PagePlan& plan) {
    switch (plan.action) {
    case RetitleAction::kReplace:
        return QStringLiteral("replace the title");
    case RetitleAction::kInsertTitle:
        return QStringLiteral("insert a title");
    case RetitleAction::kInsertHead:
        return QStringLiteral("insert head and title");
    case RetitleAction::kInsertAtStart:
        return QStringLiteral("insert at the start");
    case RetitleAction::kUnchanged:
        return QStringLiteral("unchanged");
    case RetitleAction::kRefused:
        break;
    }
    return QStringLiteral("refused: ") + plan.reason;
}

QString WarningsText(unsigned warnings) {
    QStringList texts;
    if (warnings & kEmptyTitle) {
        texts << QStringLiteral("empty title");
    }
    if (warnings & kLongTitle) {
        texts << QStringLiteral("over %1 characters").arg(kLongTitleLength);
    }
    if (warnings & kDuplicateTitle) {
        texts << QStringLiteral("duplicate title");
    }
    return texts.join(QStringLiteral(", "));
}

QString SummaryText(const RetitleSummary& summary) {
    return QStringLiteral("%1 written, %2 unchanged, %3 failed")
        .arg(summary.written)
        .arg(summary.unchanged)
        .arg(summary.failed);
}

QString TrialSummaryText(const std::vector<PagePlan>& plans) {
    std::size_t toWrite = 0, unchanged = 0, refused = 0;
    for (const PagePlan& plan : plans) {
        if (plan.action == RetitleAction::kUnchanged) {
            ++unchanged;
        } else if (plan.action == RetitleAction::kRefused) {
            ++refused;
        } else {
            ++toWrite;
        }
    }
    return QStringLiteral("%1 to write, %2 unchanged, %3 refused")
        .arg(toWrite)
        .arg(unchanged)
        .arg(refused);
}

std::uint64_t BytesToWrite(const std::vector<RetitlePage>& pages,
                           const std::vector<PagePlan>& plans) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < plans.size() && i < pages.size(); ++i) {
        if (plans[i].action != RetitleAction::kUnchanged &&
            plans[i].action != RetitleAction::kRefused) {
            bytes += pages[i].outline.size;
        }
    }
    return bytes;
}

RetitleSummary WritePlans(const std::vector<RetitlePage>& pages, const std::vector<PagePlan>& plans,
                          const TitleEngine& engine, const WriteOptions& options,
                          Progress* progress, const std::function<void(std::size_t)>& written) {
    RetitleSummary summary;
    if (progress != nullptr) {
        progress->Start(plans.size());
    }
    for (std::size_t i = 0; i < plans.size() && i < pages.size(); ++i) {
        if (StopRequested(progress)) {
            summary.notReached = plans.size() - i;
            break;
        }
        const PagePlan& plan = plans[i];
        if (plan.action == RetitleAction::kUnchanged) {
            ++summary.unchanged;
        } else if (plan.action == RetitleAction::kRefused) {
            ++summary.failed;
            summary.failures.push_back(plan.message.toLocal8Bit().toStdString());
        } else {
            try {
                const QString title = plan.newTitle;
                engine.WriteTitle(
                    pages[i].path(),
                    [&title](std::string_view declared) { return EncodeTitle(title, declared); },
                    options);
                ++summary.written;
                if (written) {
                    written(i);
                }
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& e) {
                ++summary.failed;
                summary.failures.push_back(e.what());
            }
        }
        if (progress != nullptr) {
            progress->Step();
        }
    }
    return summary;
}

} // namespace titora
