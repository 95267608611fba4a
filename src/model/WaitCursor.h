#pragma once

// The nesting count of a dialog's wait cursor. The owner shows the wait cursor when the count
// rises from 0 and the normal cursor when it falls back to 0; it implements
// ApplyWaitCursor(bool) and keeps the normal cursor over its Cancel button itself.
template <class T>
class CWaitCursorE {
public:
    virtual ~CWaitCursorE() = default;

    void BeginWait()
    {
        if (m_waitCount++ == 0)
            static_cast<T*>(this)->ApplyWaitCursor(true);
    }
    void EndWait()
    {
        if (m_waitCount == 0)
            return;
        if (--m_waitCount == 0)
            static_cast<T*>(this)->ApplyWaitCursor(false);
    }
    unsigned WaitCount() const { return m_waitCount; }

private:
    unsigned m_waitCount = 0;
};
