<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>CommandLine</name>
    <message>
        <source>--lang needs a language: ja or en</source>
        <translation>--lang needs a language: ja or en</translation>
    </message>
    <message>
        <source>--lang takes ja or en, not &quot;%1&quot;</source>
        <translation>--lang takes ja or en, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>unknown option %1 (corvale --help lists the options)</source>
        <translation>unknown option %1 (corvale --help lists the options)</translation>
    </message>
    <message>
        <source>%1: the directory cannot be read.</source>
        <translation>%1: the directory cannot be read.</translation>
    </message>
    <message>
        <source>%1: no such file or directory.</source>
        <translation>%1: no such file or directory.</translation>
    </message>
    <message>
        <source>%1: the link points to nothing.</source>
        <translation>%1: the link points to nothing.</translation>
    </message>
    <message>
        <source>%1 is a directory: name one directory alone, or record files.</source>
        <translation>%1 is a directory: name one directory alone, or record files.</translation>
    </message>
    <message>
        <source>%1 is not a regular file.</source>
        <translation>%1 is not a regular file.</translation>
    </message>
</context>
<context>
    <name>ExportService</name>
    <message>
        <source>the page could not be drawn</source>
        <translation>the page could not be drawn</translation>
    </message>
</context>
<context>
    <name>HeaderLabels</name>
    <message>
        <source>正常終了</source>
        <translation>Completed normally</translation>
    </message>
    <message>
        <source>デコードエラー</source>
        <translation>Decoding error</translation>
    </message>
    <message>
        <source>データエラー</source>
        <translation>Data error</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>新規|新規ファイルの作成</source>
        <translation>New|Create a new file</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>開く|ファイルを開く</source>
        <translation>Open|Open a file</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>保存|現在のファイルを保存</source>
        <translation>Save|Save the current file</translation>
    </message>
    <message>
        <source>名前をつけて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>別名保存|現在のファイルに別の名前をつけて保存</source>
        <translation>Save As|Save the current file under another name</translation>
    </message>
    <message>
        <source>印刷プレビュー(&amp;V)...</source>
        <translation>Print Pre&amp;view...</translation>
    </message>
    <message>
        <source>印刷(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>印刷設定(&amp;U)</source>
        <translation>Print Set&amp;up</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>終了|アプリケーション終了</source>
        <translation>Exit|Quit the application</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>切り取り|選択部分を切り取りクリップボードに送る</source>
        <translation>Cut|Cut the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>コピー|選択部分をコピーしクリップボードに送る</source>
        <translation>Copy|Copy the selection and put it on the clipboard</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>貼り付け|クリップボードの内容を貼り付け</source>
        <translation>Paste|Insert the contents of the clipboard</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>バージョン情報|バージョンなど固有の情報を表示</source>
        <translation>About|Show the version and other information about the program</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ファイルに関連した機能</source>
        <translation>File commands</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>編集に関連した機能</source>
        <translation>Editing commands</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプトピック</source>
        <translation>Help topics</translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)...</source>
        <translation>&amp;Export...</translation>
    </message>
</context>
<context>
    <name>MeasurementColumn</name>
    <message>
        <source>Measured from the waveform by this program: the record holds no value here.</source>
        <translation>Measured from the waveform by this program: the record holds no value here.</translation>
    </message>
</context>
<context>
    <name>NameFilter</name>
    <message>
        <source>Record files</source>
        <translation>Record files</translation>
    </message>
    <message>
        <source>WFDB records</source>
        <translation>WFDB records</translation>
    </message>
    <message>
        <source>EDF, EDF+ and BDF files</source>
        <translation>EDF, EDF+ and BDF files</translation>
    </message>
    <message>
        <source>DICOM ECG files</source>
        <translation>DICOM ECG files</translation>
    </message>
    <message>
        <source>All readable files</source>
        <translation>All readable files</translation>
    </message>
    <message>
        <source>CSV files</source>
        <translation>CSV files</translation>
    </message>
</context>
<context>
    <name>OutputRefusal</name>
    <message>
        <source>There is no record to print. Choose records for the work list and press &quot;Analyse&quot; first.</source>
        <translation>There is no record to print. Choose records for the work list and press &quot;Analyse&quot; first.</translation>
    </message>
    <message>
        <source>There is no record to export. Choose records for the work list and press &quot;Analyse&quot; first.</source>
        <translation>There is no record to export. Choose records for the work list and press &quot;Analyse&quot; first.</translation>
    </message>
    <message>
        <source>The record could not be read, so there is nothing to print.
%1</source>
        <translation>The record could not be read, so there is nothing to print.
%1</translation>
    </message>
    <message>
        <source>The record could not be read, so there is nothing to export.
%1</source>
        <translation>The record could not be read, so there is nothing to export.
%1</translation>
    </message>
    <message>
        <source>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then print.</source>
        <translation>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then print.</translation>
    </message>
    <message>
        <source>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then export.</source>
        <translation>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then export.</translation>
    </message>
</context>
<context>
    <name>PageAnnotations</name>
    <message>
        <source>Name: %1</source>
        <translation>Name: %1</translation>
    </message>
    <message>
        <source>ID: %1</source>
        <translation>ID: %1</translation>
    </message>
    <message>
        <source>Age: %1</source>
        <translation>Age: %1</translation>
    </message>
    <message>
        <source>Sex: %1</source>
        <translation>Sex: %1</translation>
    </message>
    <message>
        <source>Recorded: %1</source>
        <translation>Recorded: %1</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>Filters: %1</source>
        <translation>Filters: %1</translation>
    </message>
    <message>
        <source>%1 Hz notch</source>
        <translation>%1 Hz notch</translation>
    </message>
    <message>
        <source>baseline %1 Hz</source>
        <translation>baseline %1 Hz</translation>
    </message>
    <message>
        <source>mains %1 Hz</source>
        <translation>mains %1 Hz</translation>
    </message>
    <message>
        <source>muscle %1 Hz</source>
        <translation>muscle %1 Hz</translation>
    </message>
</context>
<context>
    <name>PageMeasurements</name>
    <message>
        <source>measured</source>
        <translation>measured</translation>
    </message>
    <message>
        <source>recorded</source>
        <translation>recorded</translation>
    </message>
    <message>
        <source>%1 %2 (%3)</source>
        <extracomment>A measurement in the printed page&apos;s margin: its name, value with unit, and &quot;measured&quot; or &quot;recorded&quot;</extracomment>
        <translation>%1 %2 (%3)</translation>
    </message>
</context>
<context>
    <name>RecordFiles</name>
    <message>
        <source>WFDB record, .hea and .dat (*.hea)</source>
        <translation>WFDB record, .hea and .dat (*.hea)</translation>
    </message>
    <message>
        <source>EDF+ file (*.edf)</source>
        <translation>EDF+ file (*.edf)</translation>
    </message>
    <message>
        <source>DICOM 12-lead ECG (*.dcm)</source>
        <translation>DICOM 12-lead ECG (*.dcm)</translation>
    </message>
    <message>
        <source>CSV, time and twelve leads in uV (*.csv)</source>
        <translation>CSV, time and twelve leads in uV (*.csv)</translation>
    </message>
    <message>
        <source>PNG image of the main view (*.png)</source>
        <translation>PNG image of the main view (*.png)</translation>
    </message>
    <message>
        <source>PDF of the printed page (*.pdf)</source>
        <translation>PDF of the printed page (*.pdf)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>exists already and is not replaced; choose another name or remove it first</source>
        <translation>exists already and is not replaced; choose another name or remove it first</translation>
    </message>
    <message>
        <source>Open records</source>
        <translation>Open records</translation>
    </message>
    <message>
        <source>Export the record</source>
        <translation>Export the record</translation>
    </message>
    <message>
        <source>The record was not exported.
%1</source>
        <translation>The record was not exported.
%1</translation>
    </message>
    <message>
        <source>%1 was exported to %2.</source>
        <translation>%1 was exported to %2.</translation>
    </message>
    <message>
        <source>%1: CORVALE does not read this kind of file (it reads record files, WFDB, EDF/EDF+/BDF, DICOM ECG and CSV).</source>
        <translation>%1: CORVALE does not read this kind of file (it reads record files, WFDB, EDF/EDF+/BDF, DICOM ECG and CSV).</translation>
    </message>
</context>
<context>
    <name>corvale::DisplayOptions</name>
    <message>
        <source>color</source>
        <translation>color</translation>
    </message>
    <message>
        <source>display</source>
        <translation>display</translation>
    </message>
    <message>
        <source>5sec</source>
        <translation>5sec</translation>
    </message>
    <message>
        <source>10sec</source>
        <translation>10sec</translation>
    </message>
    <message>
        <source>limb leads</source>
        <translation>limb leads</translation>
    </message>
    <message>
        <source>lead names</source>
        <translation>lead names</translation>
    </message>
    <message>
        <source>ECG caliblation</source>
        <translation>ECG calibration</translation>
    </message>
</context>
<context>
    <name>corvale::EcgTab</name>
    <message>
        <source>delete ID</source>
        <translation>delete ID</translation>
    </message>
    <message>
        <source>ID :</source>
        <translation>ID :</translation>
    </message>
    <message>
        <source>output filename</source>
        <translation>output filename</translation>
    </message>
    <message>
        <source>print</source>
        <translation>print</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>copy</translation>
    </message>
    <message>
        <source>to Clipboard &gt;&gt;</source>
        <translation>to Clipboard &gt;&gt;</translation>
    </message>
    <message>
        <source>|&lt;--&gt;|</source>
        <extracomment>Caliper mode on or off</extracomment>
        <translation>|&lt;--&gt;|</translation>
    </message>
    <message>
        <source>C</source>
        <extracomment>Removes the last caliper measurement</extracomment>
        <translation>C</translation>
    </message>
    <message>
        <source>AC</source>
        <extracomment>Removes every caliper measurement</extracomment>
        <translation>AC</translation>
    </message>
    <message>
        <source>HR :</source>
        <translation>HR :</translation>
    </message>
    <message>
        <source>bpm</source>
        <translation>bpm</translation>
    </message>
    <message>
        <source>RR :</source>
        <translation>RR :</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>PR :</source>
        <translation>PR :</translation>
    </message>
    <message>
        <source>QRS :</source>
        <translation>QRS :</translation>
    </message>
    <message>
        <source>AXIS :</source>
        <translation>AXIS :</translation>
    </message>
    <message>
        <source>deg</source>
        <translation>deg</translation>
    </message>
    <message>
        <source>QT :</source>
        <translation>QT :</translation>
    </message>
    <message>
        <source>QTc :</source>
        <translation>QTc :</translation>
    </message>
    <message>
        <source>SV1 :</source>
        <translation>SV1 :</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>V5/V6 :</source>
        <translation>V5/V6 :</translation>
    </message>
    <message>
        <source>印刷中</source>
        <translation>Printing</translation>
    </message>
    <message>
        <source>ファイルをクリップボードへ転送しました。</source>
        <translation>The ECG image has been copied to the clipboard.</translation>
    </message>
    <message>
        <source>The BMP file was not saved.
%1</source>
        <translation>The BMP file was not saved.
%1</translation>
    </message>
    <message>
        <source>ＢＭＰファイルを出力しました。</source>
        <translation>The BMP file has been written.</translation>
    </message>
    <message>
        <source>The record was not copied.
%1</source>
        <translation>The record was not copied.
%1</translation>
    </message>
    <message>
        <source>ファイルをコピーしました。</source>
        <translation>The record file has been copied.</translation>
    </message>
</context>
<context>
    <name>corvale::FiducialMarksOption</name>
    <message>
        <source>fiducial marks</source>
        <translation>fiducial marks</translation>
    </message>
    <message>
        <source>Marks the onsets and offsets of the waves that the measurement found (blue, above each trace) and those of the record&apos;s annotation files (orange, below)</source>
        <translation>Marks the onsets and offsets of the waves that the measurement found (blue, above each trace) and those of the record&apos;s annotation files (orange, below)</translation>
    </message>
</context>
<context>
    <name>corvale::FileTab</name>
    <message>
        <source>input directory</source>
        <translation>input directory</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Add &gt;&gt;</source>
        <translation>Add &gt;&gt;</translation>
    </message>
    <message>
        <source>&lt;&lt; Delete</source>
        <translation>&lt;&lt; Delete</translation>
    </message>
    <message>
        <source>Analyse</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>ouput directory</source>
        <translation>output directory</translation>
    </message>
    <message>
        <source>This directory cannot be read: %1</source>
        <translation>This directory cannot be read: %1</translation>
    </message>
    <message>
        <source>1 record file is not listed: its name cannot be shown apart from another&apos;s</source>
        <translation>1 record file is not listed: its name cannot be shown apart from another&apos;s</translation>
    </message>
    <message>
        <source>%1 record files are not listed: their names cannot be shown apart from others&apos;</source>
        <translation>%1 record files are not listed: their names cannot be shown apart from others&apos;</translation>
    </message>
</context>
<context>
    <name>corvale::FilterOptions</name>
    <message>
        <source>muscle off</source>
        <translation>muscle off</translation>
    </message>
    <message>
        <source>muscle 25 Hz</source>
        <translation>muscle 25 Hz</translation>
    </message>
    <message>
        <source>muscle 35 Hz</source>
        <translation>muscle 35 Hz</translation>
    </message>
    <message>
        <source>muscle 40 Hz</source>
        <translation>muscle 40 Hz</translation>
    </message>
    <message>
        <source>Muscle noise filter (low-pass)</source>
        <translation>Muscle noise filter (low-pass)</translation>
    </message>
    <message>
        <source>mains off</source>
        <translation>mains off</translation>
    </message>
    <message>
        <source>mains 50 Hz</source>
        <translation>mains 50 Hz</translation>
    </message>
    <message>
        <source>mains 60 Hz</source>
        <translation>mains 60 Hz</translation>
    </message>
    <message>
        <source>Mains hum filter (notch)</source>
        <translation>Mains hum filter (notch)</translation>
    </message>
    <message>
        <source>baseline off</source>
        <translation>baseline off</translation>
    </message>
    <message>
        <source>baseline 0.67 Hz</source>
        <translation>baseline 0.67 Hz</translation>
    </message>
    <message>
        <source>baseline 0.05 Hz</source>
        <translation>baseline 0.05 Hz</translation>
    </message>
    <message>
        <source>Baseline wander filter (high-pass)</source>
        <translation>Baseline wander filter (high-pass)</translation>
    </message>
    <message>
        <source>filtered %1</source>
        <translation>filtered %1</translation>
    </message>
    <message>
        <source>unfiltered</source>
        <translation>unfiltered</translation>
    </message>
    <message>
        <source>%1 Hz notch</source>
        <translation>%1 Hz notch</translation>
    </message>
    <message>
        <source>baseline %1 Hz</source>
        <translation>baseline %1 Hz</translation>
    </message>
    <message>
        <source>mains %1 Hz</source>
        <translation>mains %1 Hz</translation>
    </message>
    <message>
        <source>muscle %1 Hz</source>
        <translation>muscle %1 Hz</translation>
    </message>
</context>
<context>
    <name>corvale::HeaderTab</name>
    <message>
        <source>サンプリング間隔</source>
        <translation>Sampling interval</translation>
    </message>
    <message>
        <source>ＬＳＢの大きさ</source>
        <translation>LSB size</translation>
    </message>
    <message>
        <source>フィルタ情報</source>
        <translation>Filter information</translation>
    </message>
    <message>
        <source>低域周波数</source>
        <translation>Low-frequency cutoff</translation>
    </message>
    <message>
        <source>高域周波数</source>
        <translation>High-frequency cutoff</translation>
    </message>
    <message>
        <source>格納誘導数</source>
        <translation>Stored leads</translation>
    </message>
    <message>
        <source>サンプリング数</source>
        <translation>Number of samples</translation>
    </message>
    <message>
        <source>SV1</source>
        <translation>SV1</translation>
    </message>
    <message>
        <source>V5/V6</source>
        <translation>V5/V6</translation>
    </message>
    <message>
        <source>所見コード１</source>
        <translation>Finding code 1</translation>
    </message>
    <message>
        <source>所見コード２</source>
        <translation>Finding code 2</translation>
    </message>
    <message>
        <source>所見コード３</source>
        <translation>Finding code 3</translation>
    </message>
    <message>
        <source>所見コード４</source>
        <translation>Finding code 4</translation>
    </message>
    <message>
        <source>所見コード５</source>
        <translation>Finding code 5</translation>
    </message>
    <message>
        <source>所見コード６</source>
        <translation>Finding code 6</translation>
    </message>
    <message>
        <source>所見コード７</source>
        <translation>Finding code 7</translation>
    </message>
    <message>
        <source>所見コード８</source>
        <translation>Finding code 8</translation>
    </message>
    <message>
        <source>所見コード９</source>
        <translation>Finding code 9</translation>
    </message>
    <message>
        <source>身長</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>体重</source>
        <translation>Weight</translation>
    </message>
    <message>
        <source>血圧</source>
        <translation>Blood pressure</translation>
    </message>
    <message>
        <source>所属コード１</source>
        <translation>Affiliation code 1</translation>
    </message>
    <message>
        <source>所属コード２</source>
        <translation>Affiliation code 2</translation>
    </message>
    <message>
        <source>自覚症状</source>
        <translation>Symptoms</translation>
    </message>
    <message>
        <source>投薬情報</source>
        <translation>Medication</translation>
    </message>
    <message>
        <source>負荷情報</source>
        <translation>Stress test</translation>
    </message>
    <message>
        <source>収録年上２桁</source>
        <translation>Year (first 2 digits)</translation>
    </message>
    <message>
        <source>処理結果</source>
        <translation>Processing result</translation>
    </message>
    <message>
        <source>データ種別</source>
        <translation>Data type</translation>
    </message>
    <message>
        <source>ミネソタコード１</source>
        <translation>Minnesota code 1</translation>
    </message>
    <message>
        <source>ミネソタコード２</source>
        <translation>Minnesota code 2</translation>
    </message>
    <message>
        <source>ミネソタコード３</source>
        <translation>Minnesota code 3</translation>
    </message>
    <message>
        <source>ミネソタコード４</source>
        <translation>Minnesota code 4</translation>
    </message>
    <message>
        <source>ミネソタコード５</source>
        <translation>Minnesota code 5</translation>
    </message>
    <message>
        <source>ミネソタコード６</source>
        <translation>Minnesota code 6</translation>
    </message>
    <message>
        <source>ミネソタコード７</source>
        <translation>Minnesota code 7</translation>
    </message>
    <message>
        <source>ミネソタコード８</source>
        <translation>Minnesota code 8</translation>
    </message>
    <message>
        <source>ミネソタコード９</source>
        <translation>Minnesota code 9</translation>
    </message>
    <message>
        <source>ミネソタコード１０</source>
        <translation>Minnesota code 10</translation>
    </message>
    <message>
        <source>ミネソタコード１１</source>
        <translation>Minnesota code 11</translation>
    </message>
    <message>
        <source>ミネソタコード１２</source>
        <translation>Minnesota code 12</translation>
    </message>
    <message>
        <source>ミネソタコード１３</source>
        <translation>Minnesota code 13</translation>
    </message>
    <message>
        <source>ミネソタコード１４</source>
        <translation>Minnesota code 14</translation>
    </message>
    <message>
        <source>PRINTER SETUP and STATUS</source>
        <translation>PRINTER SETUP and STATUS</translation>
    </message>
    <message>
        <source>pix_X</source>
        <translation>pix_X</translation>
    </message>
    <message>
        <source>pix_Y</source>
        <translation>pix_Y</translation>
    </message>
    <message>
        <source>Pen Width</source>
        <translation>Pen Width</translation>
    </message>
    <message>
        <source>Margin</source>
        <translation>Margin</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>Pen</source>
        <translation>Pen</translation>
    </message>
    <message>
        <source>Grid Pattern</source>
        <translation>Grid Pattern</translation>
    </message>
    <message>
        <source>annotations</source>
        <translation>annotations</translation>
    </message>
    <message>
        <source>Print the patient, the recording, the file and the scale in the page&apos;s margin</source>
        <translation>Print the patient, the recording, the file and the scale in the page&apos;s margin</translation>
    </message>
</context>
<context>
    <name>corvale::PrintJob</name>
    <message>
        <source>The page&apos;s margin has no room for these items, so they are not printed:
%1
A larger &quot;Margin&quot; on the &quot;Header and Printer Setup&quot; tab makes room.</source>
        <translation>The page&apos;s margin has no room for these items, so they are not printed:
%1
A larger &quot;Margin&quot; on the &quot;Header and Printer Setup&quot; tab makes room.</translation>
    </message>
    <message>
        <source>Print preview: %1</source>
        <translation>Print preview: %1</translation>
    </message>
    <message>
        <source>No printer is available. Install one, or choose another in &quot;印刷設定(&amp;U)&quot;.</source>
        <translation>No printer is available. Install one, or choose another with &quot;Print Setup&quot; in the File menu.</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; could not start the job for %2.</source>
        <translation>The printer &quot;%1&quot; could not start the job for %2.</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; reported an error; the page of %2 may be incomplete.</source>
        <translation>The printer &quot;%1&quot; reported an error; the page of %2 may be incomplete.</translation>
    </message>
</context>
<context>
    <name>corvale::PrinterSetupDialog</name>
    <message>
        <source>印刷設定</source>
        <translation>Print Setup</translation>
    </message>
    <message>
        <source>PDF file</source>
        <translation>PDF file</translation>
    </message>
    <message>
        <source>(no printer is installed)</source>
        <translation>(no printer is installed)</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientation</translation>
    </message>
</context>
<context>
    <name>corvale::TAboutBox</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Version : %1</source>
        <translation>Version : %1</translation>
    </message>
    <message>
        <source>Licence : %1</source>
        <translation>Licence : %1</translation>
    </message>
    <message>
        <source>Sample records: public data under their own licences (see Details).</source>
        <translation>Sample records: public data under their own licences (see Details).</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Details &lt;&lt;</source>
        <translation>Details &lt;&lt;</translation>
    </message>
    <message>
        <source>Details &gt;&gt;</source>
        <translation>Details &gt;&gt;</translation>
    </message>
    <message>
        <source>**CORVALE** version %1, built with Qt %2, running on Qt %3.

### Licence

CORVALE is distributed under the %4 licence:

%5

%6</source>
        <extracomment>Markdown: keep the ** and ### marks and the blank lines</extracomment>
        <translation>**CORVALE** version %1, built with Qt %2, running on Qt %3.

### Licence

CORVALE is distributed under the %4 licence:

%5

%6</translation>
    </message>
</context>
<context>
    <name>corvale::TSDIAppForm</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>ECG</source>
        <translation>ECG</translation>
    </message>
    <message>
        <source>Header and Printer Setup</source>
        <translation>Header and Printer Setup</translation>
    </message>
    <message>
        <source>The work list has changed since &quot;Analyse&quot;: it has no record %1 any more (it holds %2).
</source>
        <translation>The work list has changed since &quot;Analyse&quot;: it has no record %1 any more (it holds %2).
</translation>
    </message>
    <message>
        <source>The screen still shows %1.
</source>
        <translation>The screen still shows %1.
</translation>
    </message>
    <message>
        <source>Press &quot;Analyse&quot; again to view the records of the work list.</source>
        <translation>Press &quot;Analyse&quot; again to view the records of the work list.</translation>
    </message>
    <message>
        <source>The record cannot be read.
%1</source>
        <translation>The record cannot be read.
%1</translation>
    </message>
    <message>
        <source>%1 holds no record files (.nrm, .msd).</source>
        <translation>%1 holds no record files (.nrm, .msd).</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>and %1 more</translation>
    </message>
</context>
</TS>
