#include "settings/settings.h"

#include <QFile>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

#include "model/numbertext.h"
#include "recording/outputfile.h"
#include "recording/smalltextfile.h"

namespace zr5 {

void Settings::recomputeCTInUseCode() {
    CTInUseCode = static_cast<std::int16_t>(4 * RedCTInUse + 2 * BlueCTInUse + YellowCTInUse);
}

Settings Settings::initial() {
    Settings s;
    s.recomputeCTInUseCode();
    return s;
}

namespace {

template <auto Member> double getField(const Settings& s) {
    return double(s.*Member);
}
template <auto Member> void setField(Settings& s, double v) {
    using Field = std::remove_cvref_t<decltype(s.*Member)>;
    s.*Member = static_cast<Field>(v);
}
template <auto Member> constexpr SettingsLine line(const char* name) {
    using Field = std::remove_cvref_t<decltype(std::declval<Settings&>().*Member)>;
    return {name, std::is_integral_v<Field>, getField<Member>, setField<Member>};
}
template <auto Member> constexpr SettingsLine boxLine(const char* name, bool zeroAllowed) {
    SettingsLine l = line<Member>(name);
    l.dialogBox = true;
    l.zeroAllowed = zeroAllowed;
    return l;
}

// The file's lines, in their order.
constexpr SettingsLine kLines[kSettingsLines] = {
    line<&Settings::CommPort>("串行口"),
    line<&Settings::CurrentCurve>("当前曲线"),
    boxLine<&Settings::ReceiveDuration>("累计时间", true),
    boxLine<&Settings::CTRatio>("CT倍率", false),
    boxLine<&Settings::PTRatio>("PT倍率", false),
    line<&Settings::SegmentHalfSpan>("分段曲线"),
    line<&Settings::RedCTInUse>("红色标"),
    line<&Settings::BlueCTInUse>("蓝色标"),
    line<&Settings::YellowCTInUse>("黄色标"),
};

bool parseNumber(const QByteArray& raw, double& out) {
    const QByteArray text = raw.trimmed();
    if (text.isEmpty())
        return false;
    bool ok = false;
    const double v = QString::fromLatin1(text).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace

const SettingsLine& SettingsFileLine(int index) {
    return kLines[index];
}

void TakeSettingsLines(Settings& to, const SettingsFileContents& file, int first, int end) {
    for (int i = first; i < end; ++i)
        if (file.lineRead[std::size_t(i)])
            kLines[i].set(to, kLines[i].get(file.settings));
}

SettingsFileContents ReadSettingsFile(const QString& path) {
    SettingsFileContents result;
    result.settings = Settings::initial();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problems
            << QStringLiteral("设置文件 %1 不存在或无法读取，已使用初始设置。").arg(path);
        return result;
    }
    result.fileFound = true;
    const Result<QByteArray> bytes = ReadSmallTextFile(file, QStringLiteral("设置文件"));
    if (!bytes) {
        result.problems << bytes.error() + QStringLiteral("，已使用初始设置。");
        return result;
    }
    QList<QByteArray> lines = bytes->split('\n');
    Settings& s = result.settings;
    for (int i = 0; i < kSettingsLines; ++i) {
        const QString name = QString::fromUtf8(kLines[i].name);
        if (i >= lines.size() || (i == lines.size() - 1 && lines[i].trimmed().isEmpty())) {
            result.problems << QStringLiteral("设置文件 %1 缺少第 %2 行（%3），已使用初始值。")
                                   .arg(path)
                                   .arg(i + 1)
                                   .arg(name);
            continue;
        }
        double v = 0;
        bool ok = parseNumber(lines[i], v);
        if (ok && kLines[i].integer) {
            v = std::nearbyint(v);
            ok = v >= std::numeric_limits<std::int16_t>::min() &&
                 v <= std::numeric_limits<std::int16_t>::max();
        } else if (ok) {
            ok = std::fabs(v) <= std::numeric_limits<float>::max();
        }
        if (!ok) {
            result.problems << QStringLiteral(
                                   "设置文件 %1 第 %2 行（%3）不是有效的数字：“%4”，已使用初始值。")
                                   .arg(path)
                                   .arg(i + 1)
                                   .arg(name, QuotedPart(QString::fromLatin1(lines[i].trimmed())));
            continue;
        }
        if (kLines[i].dialogBox) {
            const BoxNumber n = ParseBoxNumber(QString::fromLatin1(lines[i].trimmed()), false,
                                               kLines[i].zeroAllowed);
            if (!n.ok) {
                result.problems << QStringLiteral("设置文件 %1 第 %2 行（%3）%4，已使用初始值。")
                                       .arg(path)
                                       .arg(i + 1)
                                       .arg(name, n.reason);
                continue;
            }
        }
        result.lineRead[i] = true;
        kLines[i].set(s, v);
    }
    s.ConfiguredDuration = s.ReceiveDuration;
    s.recomputeCTInUseCode();
    return result;
}

QByteArray SettingsFileBytes(const Settings& s) {
    QByteArray bytes;
    for (const SettingsLine& l : kLines) {
        bytes += PrintedNumber(l.get(s)).toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

Status WriteSettingsFile(const QString& path, const Settings& settings) {
    if (const Status written = WriteWholeFile(path, SettingsFileBytes(settings)); !written)
        return Status::failure(
            QStringLiteral("无法写入设置文件 %1：%2").arg(path, written.error()));
    return {};
}

DurationParts SplitDuration(float receiveDuration) {
    // Single precision step by step, as the dialog has always shown the time.
    DurationParts d;
    if (!std::isfinite(receiveDuration))
        return d;
    const float x = receiveDuration / 3600.0f;
    d.hours = std::trunc(double(x));
    const float y = (x - float(d.hours)) * 60.0f;
    d.minutes = int(y);
    d.seconds = int(std::nearbyint((y - float(d.minutes)) * 60.0f));
    if (d.seconds == 60) {
        d.seconds = 0;
        ++d.minutes;
    }
    if (d.minutes == 60) {
        d.minutes = 0;
        ++d.hours;
    }
    return d;
}

BoxNumber ParseBoxNumber(const QString& text, bool emptyMeansZero, bool zeroAllowed) {
    BoxNumber n;
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        if (emptyMeansZero) {
            n.ok = true;
            return n;
        }
        n.reason = QStringLiteral("不能为空");
        return n;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) {
        n.reason = QStringLiteral("中的“%1”不是有效的数字").arg(t);
        return n;
    }
    if (v < 0) {
        n.reason = QStringLiteral("不能为负数");
        return n;
    }
    if (v == 0 && !zeroAllowed) {
        n.reason = QStringLiteral("必须大于 0");
        return n;
    }
    n.ok = true;
    n.value = v;
    return n;
}

} // namespace zr5
