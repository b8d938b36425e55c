#pragma once
// Exact money amounts: ten-thousandths of a yuan in an int64, as stored in
// every money column of the database.

#include <QMetaType>
#include <QString>
#include <QStringView>
#include <compare>
#include <optional>

class Money {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 raw)
    {
        Money m;
        m.m_raw = raw;
        return m;
    }
    static constexpr Money fromYuan(qint64 yuan) { return fromRaw(yuan * Scale); }
    // The number as its shortest decimal text reads (0.00015 is 0.00015, not
    // the binary 0.000149999…), rounded to four decimals half away from
    // zero; nullopt when out of range or not finite.
    static std::optional<Money> fromDouble(double value);

    // User text: optional sign, digits with at most one '.', no blanks inside,
    // no exponent. Rounded to four decimals half away from zero.
    // nullopt for anything else (empty, ".", "1 2", "1e5", out of range).
    static std::optional<Money> parse(QStringView text);
    // Text parse() refuses only for its size: digits, a sign, a point, but
    // too many digits for an amount. Told as "out of range", not "not a number".
    static bool isOversizedNumber(QStringView text);

    constexpr qint64 raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / Scale; }
    bool isZero() const { return m_raw == 0; }

    // "￥#.00": no grouping, two decimals (￥0.50, ￥0.00, ￥-12.30).
    QString yuan() const;
    // "￥#,##0.00": the amount in a sentence (￥86,420.50, -￥35.50).
    QString yuanGrouped() const;
    // The amount with two decimals and no currency sign (0.50, 12.30): how
    // every grid shows money.
    QString twoDecimals() const;
    // Plain decimal text, no trailing zeros: 1234.5, 12, 0.25, -3.
    QString plain() const;

    friend constexpr Money operator+(Money a, Money b) { return fromRaw(a.m_raw + b.m_raw); }
    friend constexpr Money operator-(Money a, Money b) { return fromRaw(a.m_raw - b.m_raw); }
    constexpr Money operator-() const { return fromRaw(-m_raw); }
    Money& operator+=(Money o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    Money& operator-=(Money o)
    {
        m_raw -= o.m_raw;
        return *this;
    }
    friend constexpr auto operator<=>(Money, Money) = default;
    friend constexpr bool operator==(Money, Money) = default;

private:
    qint64 m_raw = 0;
};

// The largest amount a record may hold (99999999.99): what the entry pages
// accept and what an imported statement line may carry.
inline constexpr Money kMaxRecordAmount = Money::fromRaw(Q_INT64_C(999999999900));

Q_DECLARE_METATYPE(Money)

// The shortest general form of a number, up to 15 significant digits, with an
// exponent (1E15, 2.5E-6) only where plain digits would need more room.
QString formatGeneral(double value);
// Plain sum text of an optional amount: empty when there is none.
QString plainOrEmpty(const std::optional<Money>& m);
