#pragma once
#include <QTabWidget>
#include <vector>

class CPageBase;

// The main window's pages as tabs. Every page has a fixed index, whether or not the pages
// before it are present in this build, so that the stored "ActivePage" always means the same
// page.
class CTabView : public QTabWidget {
    Q_OBJECT
public:
    enum PageIndex : int {
        PortPage = 0,
        FirmwarePage = 1,
        OperatePage = 2,
        ConfigurationPage = 3,
        CommandTesterPage = 4,
        PageCount = 5
    };

    explicit CTabView(QWidget* parent = nullptr);
    ~CTabView() override;

    // Pages are added in the order of their indexes.
    void AddPage(int pageIndex, CPageBase* page, const QString& title);
    CPageBase* Page(int pageIndex) const;
    bool HasPage(int pageIndex) const { return Page(pageIndex) != nullptr; }
    // The fixed index of the page shown, -1 when there is none.
    int CurrentPageIndex() const;
    CPageBase* CurrentPage() const;
    // False (and nothing changes) when no page has that index.
    bool SelectPage(int pageIndex);
    // F6 and Shift+F6: the next and the previous page, going round.
    void NextPage();
    void PreviousPage();

    // From Activate on, the page shown hears OnPageShown and OnPageHidden as the tabs change;
    // Deactivate hides the page shown (at shut-down).
    void Activate();
    void Deactivate();

private:
    void OnCurrentChanged(int tab);

    std::vector<std::pair<int, CPageBase*>> m_pages; // in tab order
    CPageBase* m_shown = nullptr;
    bool m_active = false;
};
