#!/bin/sh
# SPDX-License-Identifier: LicenseRef-Tankedosan
# Plants each fault of tests/planted-faults.md alone into a copy of the tree, builds it, runs the tests and
# prints whether they caught it. The source tree itself is never changed.
#   tests/plant-faults.sh [ID...]      (all faults when none is named)
# FAULTS_DIR (default build-faults/) holds the copy and its build; FAULTS_CTEST adds ctest options, such as
# "-E xvfb" to leave out the tests on a real display.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FAULTS_DIR:-$root/build-faults}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
exec python3 - "$root" "$work" "${FAULTS_CTEST:-}" "$@" <<'EOF'
import os, shutil, subprocess, sys

root, work, ctest_options, wanted = sys.argv[1], sys.argv[2], sys.argv[3].split(), sys.argv[4:]

# id, file, text as it is, text with the fault. The text must occur exactly once, so a fault is planted at
# the same place however the lines around it move.
FAULTS = [
    ("S1", "src/store/filewrite.cpp", "    if (::fsync(fd) == 0)\n        return 0;", "    if (true)\n        return 0;"),
    ("S2", "src/store/filewrite.cpp", "        if (done == 0)\n            return EIO;\n        data += done;", "        if (done >= 0)\n            return 0;\n        data += done;"),
    ("S3", "src/store/writtenform.cpp", "            appendLine(out, i);\n            out.append(\"\\r\\n\", 2);", "            appendLine(out, i);\n            if (i + 1 < size())\n                out.append(\"\\r\\n\", 2);"),
    ("S4", "src/store/encoding.cpp", "const int low = littleEndian ? 0 : 1;", "const int low = littleEndian ? 1 : 0;"),
    ("S5", "src/store/linestore.cpp", "    m_spans.erase(m_spans.begin() + index);\n    compactIfMostlyGarbage();", "    m_spans.erase(m_spans.begin() + index);"),
    ("S6", "src/store/numberfile.cpp", "const QStringView rest = line.sliced(b + 1);", "const QStringView rest = line.sliced(b);"),
    ("S7", "src/store/programfolder.cpp", "if (!holdsCollection(folder))", "if (!holdsCollection(samplesFolder))"),
    ("M1", "src/main/frmmain.cpp", "if (n >= store::Module1::antal)", "if (n > store::Module1::antal)"),
    ("M2", "src/store/collections.cpp", "{Qt::CaseSensitive, Qt::CaseInsensitive}", "{Qt::CaseInsensitive, Qt::CaseSensitive}"),
    ("M3", "src/main/frmmain.cpp", "        List1->insertItem(index, removed);\n", ""),
    ("M4", "src/main/frmmain.cpp", "    countShownList();\n    // Back to the proverb", "    setWindowTitle(wholeListCaption(List1->count()));\n    // Back to the proverb"),
    ("E1", "src/editor/duplicates.cpp", "std::pair(hash, line) < std::pair(other.hash, other.line)", "std::pair(hash, other.line) < std::pair(other.hash, line)"),
    ("E2", "src/store/editorsort.cpp", "p.decisive = int(std::max<qsizetype>(ranked - 1, 0));", "p.decisive = int(std::max<qsizetype>(ranked, 0));"),
    ("E3", "src/editor/frmredigera.cpp", "findFrom(qsizetype(widgets::markedRow(List1)) + 1);", "findFrom(qsizetype(widgets::markedRow(List1)));"),
    ("E4", "src/editor/frmredigera.cpp", "        m_main.refillProverbs(m_lista->lines(), m_stamp);", "        (void)0;"),
    ("E5", "src/editor/frmredigera.cpp", "    if (marked >= 0) {\n        const QString line", "    if (marked > 0) {\n        const QString line"),
    ("F2", "src/search/frmsok.cpp", "resultattext(lista->lines(), m_shownHits)", "resultattext(lista->lines(), m_shownHits - 1)"),
    ("F3", "src/search/sparatextfil.cpp", "if (QFileInfo::exists(path)", "if (store::fileExists(path)"),
    ("F4", "src/main/frmmain.cpp", "        if (söklista->count() > 0) {", "        if (söklista->count() > 1) {"),
    ("W3", "src/textfiles/frmtextedit.cpp", "    if (m_platform.tellWriteFailure(failure, u\"Filen har lästs in igen. Gör ändringen på nytt.\"_s))\n        list_filer_Click();\n", ""),
    ("W4", "src/editor/frmredigera.cpp", "        return m_platform.showStandardError(*failure);\n    öppna_dublettfil();", "        return;\n    öppna_dublettfil();"),
    ("P1", "src/platform/platform.cpp", "        m_busy = false;\n        m_platform.setPointer(Pointer::Default);", "        m_busy = false;"),
    ("P2", "src/platform/platform.cpp", "    if (m_busy) {\n        m_busy = false;", "    {\n        m_busy = false;"),
    ("N1", "src/store/filewrite.cpp", "        now = stampFrom(target.info);\n    if (now != stamp)", "        now = stampFrom(target.info);\n    if (false)"),
    ("N2", "src/store/filewrite.cpp", "        *stamp = stampFrom(written);", "        (void)written;"),
    ("N3", "src/store/files.cpp", "    if (size > maxReadBytes)\n        return failures::tooLarge(path);", "    (void)0;"),
    # The buffer grows to at most the bound: a fault that reads past it must let the buffer grow too.
    ("N4", "src/store/files.cpp", "            if (got + n > maxReadBytes)\n                return failures::tooLarge(path);\n            const qint64 room =\n                std::min<qint64>(std::max<qint64>(2 * got, got + n + qint64(sizeof probe)), maxReadBytes);", "            if (got + n > 4 * maxReadBytes)\n                return failures::tooLarge(path);\n            const qint64 room =\n                std::min<qint64>(std::max<qint64>(2 * got, got + n + qint64(sizeof probe)), 4 * maxReadBytes);"),
    ("N5", "src/store/linesplitter.cpp", "return loneLfs > crs ? LineEnds::Unix", "return loneLfs > 0 ? LineEnds::Unix"),
    ("N6", "src/store/linesplitter.cpp", "        pairs += cr + 1 < end && cr[1] == '\\n';", "        pairs += 0;"),
    ("N7", "src/store/linefinder.cpp", "                if (spans[size_t(k)].begin <= at) {", "                if (true) {"),
    ("N8", "src/store/linefinder.cpp", "_mm_or_si128(_mm_cmpeq_epi8(head, first0), _mm_cmpeq_epi8(head, first1))", "_mm_cmpeq_epi8(head, first0)"),
    ("N9", "src/store/linefinder.cpp", "                while (k < runEnd && endOf(k) < at + n)", "                while (k < runEnd && endOf(k) < at)"),
    ("T1", "src/cli/nummer.cpp", "    if (line.number > lines.size()) {", "    if (line.number >= lines.size()) {"),
    ("T2", "src/store/collections.cpp", "return citat >= 0 || names.isEmpty() ? citat : 0;", "return names.isEmpty() ? -1 : 0;"),
    ("T3", "src/store/linesplitter.cpp", "inBlock += !endHere & endBefore;", "inBlock += endBefore;"),
    ("T4", "src/store/linefinder.cpp", "(found.end) <= lineEnd)", "(found.end) <= textEnd)"),
    ("C1", "src/store/linesplitter.h", "                ++m_p; // CR LF is one line end", "                (void)0;"),
    ("C2", "src/cli/reading.cpp", "    if (stamp.state == store::FileStamp::State::Present && bytes.size() < stamp.size)", "    if (false)"),
    ("C3", "src/store/shown.cpp", "        shown += QStringView(from, begin - from);\n", ""),
    ("B1", "src/store/numbers.cpp", "return c == u' ' || c == u'\\t';", "return c == u' ';"),
    ("L1", "src/store/filewrite.cpp", "        if (!S_ISREG(target.info.st_mode))", "        if (!S_ISREG(target.info.st_mode) && !S_ISLNK(target.info.st_mode))"),
    ("L2", "src/store/filewrite.cpp", "if (::fchmod(file.get(), target.info.st_mode & 07777) != 0 && errno", "if (false && errno"),
    ("N10", "src/store/files_p.h", "    stamp.nanoseconds = qint64(info.st_mtim.tv_nsec);", ""),
    ("M5", "src/store/collections.cpp", "return collectionName(file).compare(name, Qt::CaseInsensitive) == 0;", "return collectionName(file).compare(name, Qt::CaseSensitive) == 0;"),
    ("K1", "src/widgets/keys.cpp", "== Qt::Key_Escape)\n            return true;", "== Qt::Key_Escape)\n            return false;"),
    ("K2", "src/widgets/controls.cpp", "            m_rowBeforePress = m_list->currentRow();", "            m_rowBeforePress = -2;"),
    ("K3", "src/main/frmmaincontrols.cpp", "if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {", "if (mouse->button() == Qt::LeftButton) {"),
    ("A1", "src/main/frmmaincontrols.cpp", "    txtnr->setAccessibleName(u\"Ordspråkets nummer\"_s);\n", ""),
    ("A2", "src/widgets/keys.cpp", "            used += caption.at(at).toLower();\n", ""),
    ("A3", "src/widgets/keys.cpp", "        button->installEventFilter(enter);\n", ""),
    ("G1", "src/main/frmmaincontrols.cpp", "    connect(txtnr, &QLineEdit::textChanged, this, &frmmain::txtnr_Change);\n", "    connect(txtnr, &QLineEdit::textChanged, this, &frmmain::txtnr_Change);\n    connect(comboordspråk, &QComboBox::textActivated, this, [this] { comboordspråk_Click(); });\n"),
    ("G2", "src/main/frmmain.cpp", "    {\n        const QSignalBlocker quiet(txtnr);\n        txtnr->setText(QString::number(n));\n    }", "    txtnr->setText(QString::number(n));"),
    ("G3", "src/main/frmmain.cpp", "    mnuredigera_textstorlek[scroll->value() - 1]->setChecked(true);\n", ""),
    ("X1", "src/textfiles/frmtextedit.cpp", "    m_encoding = view.encoding;\n", "    m_encoding = {};\n"),
    ("X2", "src/store/encoding.cpp", "{readAs, FileEncoding{}", "{FileEncoding{readAs.encoding}, FileEncoding{}"),
    ("X3", "src/store/encoding.cpp", "0x2039, 0x0152,", "0x2039, 0x0153,"),
    ("X4", "src/store/encoding.cpp", "if (bytes && decodeText(*bytes) == text)", "if (bytes)"),
    ("R1", "src/editor/frmredigera.cpp", "                m_lista->removeLine(int(at));\n", "                (void)at;\n"),
    ("R2", "src/store/editorsort.cpp", "    merged.setDecodedExactly(sorted.decodedExactly());\n", ""),
    ("R3", "src/editor/frmredigeracontrols.cpp", "        m_loadedByIndexChange = true;\n", ""),
    ("R4", "src/store/editorsort.cpp", "    return sign(a.compare(b));", "    return sign(b.compare(a));"),
    ("R5", "src/editor/duplicates.cpp", "            table[c] = QChar(char16_t(c)).toLower().unicode();", "            table[c] = c < 0x80 ? QChar(char16_t(c)).toLower().unicode() : char16_t(c);"),
    ("R6", "src/editor/duplicates.cpp", "const double rounded = std::nearbyint(", "const double rounded = std::round("),
    ("D1", "src/store/filewrite.cpp", "    (void)::fsync(folder);\n", ""),
    ("D2", "src/store/collections.cpp", "        *stamp = lines.ok() ? read : FileStamp(); // what could not be read whole is never written back", "        *stamp = read;"),
    ("D3", "src/store/collections.cpp", "    if (!lines.writesBackUnchanged())\n", "    if (false)\n"),
    ("D4", "src/cli/commandline.cpp", "    if (parser.isSet(o.beginning) && line.action != Action::Search)\n", "    if (false)\n"),
    ("O1", "src/store/fortune.cpp", "        if (index.rotated())\n", "        if (false)\n"),
    ("O2", "src/store/fortune.cpp", "if (index.comments() && line.size() >= 2", "if (false && line.size() >= 2"),
    ("O3", "src/store/fortune.cpp", "const QByteArrayView words = trimmed(line);", "const QByteArrayView words = line;"),
    ("O4", "src/store/fortune.cpp", "    if (!line.isEmpty() && line.back() == '\\r')\n        line.chop(1);\n    return line.size() == 1", "    return line.size() == 1"),
    ("O5", "src/store/fortune.cpp", "    index.delimiter = bytes[20];", "    index.delimiter = '%';"),
    ("O6", "src/store/collections.cpp", "        ownStamp.state = FileStamp::State::Foreign; // never written back, whatever the index's own stamp says\n", ""),
    ("O7", "src/main/frmmain.cpp", "void frmmain::cmdordspråk_radera_Click()\n{\n    if (refusedAsForeign())\n        return;\n", "void frmmain::cmdordspråk_radera_Click()\n{\n"),
    ("O8", "src/store/collections.cpp", "        if (file.form == CollectionForm::Lines && isBinary(file.bytes))\n            failure = failures::notACollection(path);\n", ""),
    ("O9", "src/store/fortune.cpp", "        if ((lineStart == 0 && textFrom > 0)\n            || !isDelimiterLine(text.sliced(lineStart, at - 1 - lineStart), index->delimiter))\n            return std::nullopt;\n", ""),
    ("O10", "src/cli/slump.cpp", "return entry->isEmpty() ? Drawn::BlankEntry : Drawn::Proverb;", "return Drawn::Proverb;"),
    ("O11", "src/cli/importera.cpp", "        if (seen.contains(line)) {", "        if (false) {"),
    ("O12", "src/cli/importera.cpp", "mergedLines(sortedLines(held, order), addition.added, order)", "mergedLines(held, addition.added, order)"),
    ("O13", "src/store/collections.cpp", "    } else if (!index && isFortuneText(bytes)) {", "    } else if (false) {"),
    ("O14", "src/store/filewrite.cpp", "    if (!programFolderIsWritable()) {\n        m_held = bytes;", "    if (false) {\n        m_held = bytes;"),
    ("O15", "src/store/failure.cpp", "case ErrorForm::OneLine: return failure.notice ? failure.description : u\"Ett fel uppstod. \"_s + numbered;", "case ErrorForm::OneLine: return u\"Ett fel uppstod. \"_s + numbered;"),
    ("Y1", "src/main/frmmain.cpp", "    search::frmsök window(m_platform, link(), this);", "    search::frmsök window(m_platform, link(), nullptr);"),
    ("Y2", "src/main/frmmain.cpp", "        help = new frmhjälp(this);", "        help = new frmhjälp(nullptr);"),
    ("Y3", "cmake/packaging.cmake", "qt6-translations-l10n, qt6-wayland", "qt6-translations-l10n"),
    ("Y4", "src/widgets/controls.cpp", "            option->state |= QStyle::State_Active;", "            option->state |= QStyle::State_None;"),
    ("Y5", "src/editor/frmredigeracontrols.cpp", 'u"cmdtabort"_s, 120, 7035, 1740, 375);', 'u"cmdtabort"_s, 120, 7035, 1620, 375);'),
    ("Y6", "src/search/frmsok.cpp", 'u"Text1"_s, 3000, 360, 3375, 330);', 'u"Text1"_s, 3000, 360, 3375, 285);'),
    ("V1", "src/main/frmhjalp.cpp", "return help ? new QAccessibleWidget(help, QAccessible::Window) : nullptr;", "return nullptr;"),
    ("V2", "src/textfiles/frmtextedit.cpp", "    Label1->setBuddy(optvisa[0]);\n", ""),
    ("V3", "src/main/frmmaincontrols.cpp", "    scroll->setAccessibleName(scroll->toolTip());\n", ""),
    ("V4", "src/widgets/keys.cpp", "            window->parentWidget()->window()->activateWindow();", "            ;"),
    ("V5", "src/search/frmsok.cpp", "    widgets::centreOnScreen(this);\n", ""),
    ("Z1", "src/store/linestore.cpp", "    if (!line.isValidUtf16())\n        m_decodedExactly = false;\n", ""),
]

tree, build = os.path.join(work, "tree"), os.path.join(work, "build")
files = subprocess.run(["git", "-C", root, "ls-files", "-z"], check=True, capture_output=True).stdout.split(b"\0")
shutil.rmtree(tree, ignore_errors=True)
for f in filter(None, files):
    f = f.decode()
    src = os.path.join(root, f)
    if os.path.isfile(src):
        os.makedirs(os.path.dirname(os.path.join(tree, f)), exist_ok=True)
        # Copied with a new time, so that make rebuilds what an earlier run left built with a fault in it.
        shutil.copy(src, os.path.join(tree, f))
launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
subprocess.run(["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo", *launcher],
               check=True, stdout=subprocess.DEVNULL)

def build_and_test():
    if subprocess.run(["cmake", "--build", build, "-j2"], stdout=subprocess.DEVNULL,
                      stderr=subprocess.DEVNULL).returncode != 0:
        return None
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    run = subprocess.run(["ctest", "-j2", *ctest_options], cwd=build, env=env, capture_output=True, text=True)
    failed = [l.split()[3] for l in run.stdout.splitlines() if "***Failed" in l or "Not Run" in l
              or "***Exception" in l or "***Timeout" in l]
    return failed if run.returncode != 0 else []

print("baseline:", "ok" if build_and_test() == [] else "FAILS: fix the tree first", flush=True)
caught = missed = 0
for fid, path, before, after in FAULTS:
    if wanted and fid not in wanted:
        continue
    target = os.path.join(tree, path)
    text = open(target, encoding="utf-8").read()
    if text.count(before) != 1:
        print(f"{fid}: not planted ({path}: the text occurs {text.count(before)} times)", flush=True)
        continue
    open(target, "w", encoding="utf-8").write(text.replace(before, after))
    try:
        failed = build_and_test()
    finally:
        open(target, "w", encoding="utf-8").write(text)
    if failed is None:
        print(f"{fid}: does not build", flush=True)
    elif failed:
        caught += 1
        print(f"{fid}: caught by {' '.join(failed)}", flush=True)
    else:
        missed += 1
        print(f"{fid}: MISSED", flush=True)
print(f"caught {caught}, missed {missed}")
EOF
