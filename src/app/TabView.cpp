#include "app/TabView.h"
#include "ui/PageBase.h"
#include <QScrollArea>

namespace {
// A page scrolls when the window is smaller than the page would like: the window can then be
// made small enough for any screen without clipping a page. The scroll area asks for the whole
// page, so the window opens at the page's own size where there is room.
class CPageScroller : public QScrollArea {
public:
    explicit CPageScroller(QWidget* page)
    {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setWidget(page);
    }

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) + QSize(frame, frame);
    }
};
} // namespace

CTabView::CTabView(QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("tabView"));
    connect(this, &QTabWidget::currentChanged, this, &CTabView::OnCurrentChanged);
}

CTabView::~CTabView()
{
    // Pages detach from the model when hidden; the tab widget deletes them afterwards.
    Deactivate();
}

void CTabView::AddPage(int pageIndex, CPageBase* page, const QString& title)
{
    m_pages.emplace_back(pageIndex, page);
    addTab(new CPageScroller(page), title);
}

CPageBase* CTabView::Page(int pageIndex) const
{
    for (const auto& [index, page] : m_pages) {
        if (index == pageIndex)
            return page;
    }
    return nullptr;
}

int CTabView::CurrentPageIndex() const
{
    const int tab = currentIndex();
    if (tab < 0 || tab >= static_cast<int>(m_pages.size()))
        return -1;
    return m_pages[static_cast<std::size_t>(tab)].first;
}

CPageBase* CTabView::CurrentPage() const
{
    const int tab = currentIndex();
    if (tab < 0 || tab >= static_cast<int>(m_pages.size()))
        return nullptr;
    return m_pages[static_cast<std::size_t>(tab)].second;
}

bool CTabView::SelectPage(int pageIndex)
{
    for (std::size_t tab = 0; tab < m_pages.size(); ++tab) {
        if (m_pages[tab].first == pageIndex) {
            setCurrentIndex(static_cast<int>(tab));
            return true;
        }
    }
    return false;
}

void CTabView::NextPage()
{
    if (count() > 0)
        setCurrentIndex((currentIndex() + 1) % count());
}

void CTabView::PreviousPage()
{
    if (count() > 0)
        setCurrentIndex((currentIndex() + count() - 1) % count());
}

void CTabView::Activate()
{
    if (m_active)
        return;
    m_active = true;
    m_shown = CurrentPage();
    if (m_shown)
        m_shown->OnPageShown();
}

void CTabView::Deactivate()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_shown)
        m_shown->OnPageHidden();
    m_shown = nullptr;
}

void CTabView::OnCurrentChanged(int tab)
{
    (void)tab;
    if (!m_active)
        return;
    CPageBase* page = CurrentPage();
    if (page == m_shown)
        return;
    if (m_shown)
        m_shown->OnPageHidden();
    m_shown = page;
    if (m_shown)
        m_shown->OnPageShown();
}
