#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace store {

// The row ids of a record set's members: four bytes each while every one fits, else eight,
// so a set of a million questions holds 4 MB instead of 8.
class RowIds {
public:
    void append(qint64 id) {
        if (!m_wide.empty() || id < 0 || id > qint64(std::numeric_limits<std::uint32_t>::max())) {
            if (m_wide.empty() && !m_narrow.empty())
                widen();
            m_wide.push_back(id);
        } else
            m_narrow.push_back(std::uint32_t(id));
    }

    qint64 operator[](size_t i) const { return m_wide.empty() ? qint64(m_narrow[i]) : m_wide[i]; }
    size_t size() const { return m_wide.empty() ? m_narrow.size() : m_wide.size(); }
    bool empty() const { return size() == 0; }

    // Where id stands once sorted; size() when it is no member.
    size_t position(qint64 id) const {
        return m_wide.empty() ? find(m_narrow, id) : find(m_wide, id);
    }

    // In ascending order, as the rows lie in the table.
    void sort() {
        if (m_wide.empty())
            sortIfNeeded(m_narrow);
        else
            sortIfNeeded(m_wide);
    }

private:
    template <class T> static void sortIfNeeded(std::vector<T>& ids) {
        if (!std::is_sorted(ids.begin(), ids.end()))
            std::sort(ids.begin(), ids.end());
    }

    template <class T> static size_t find(const std::vector<T>& ids, qint64 id) {
        const auto it = std::lower_bound(ids.begin(), ids.end(), id, [](T member, qint64 wanted) {
            return qint64(member) < wanted;
        });
        return it != ids.end() && qint64(*it) == id ? size_t(it - ids.begin()) : ids.size();
    }

    void widen() {
        m_wide.assign(m_narrow.begin(), m_narrow.end());
        m_narrow = {};
    }

    std::vector<std::uint32_t> m_narrow;
    std::vector<qint64> m_wide;
};

} // namespace store
