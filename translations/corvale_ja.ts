<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="ja_JP">
<context>
    <name>CommandLine</name>
    <message>
        <source>--lang needs a language: ja or en</source>
        <translation>--lang には言語を指定してください: ja または en</translation>
    </message>
    <message>
        <source>--lang takes ja or en, not &quot;%1&quot;</source>
        <translation>--lang に指定できるのは ja か en です（「%1」は指定できません）</translation>
    </message>
    <message>
        <source>unknown option %1 (corvale --help lists the options)</source>
        <translation>不明なオプション %1 です（オプションの一覧は corvale --help で表示されます）</translation>
    </message>
    <message>
        <source>%1: the directory cannot be read.</source>
        <translation>%1: ディレクトリを読み込めません。</translation>
    </message>
    <message>
        <source>%1: no such file or directory.</source>
        <translation>%1: そのようなファイルやディレクトリはありません。</translation>
    </message>
    <message>
        <source>%1: the link points to nothing.</source>
        <translation>%1: リンク先が存在しません。</translation>
    </message>
    <message>
        <source>%1 is a directory: name one directory alone, or record files.</source>
        <translation>%1 はディレクトリです: ディレクトリを1つだけ指定するか、記録ファイルを指定してください。</translation>
    </message>
    <message>
        <source>%1 is not a regular file.</source>
        <translation>%1 は通常のファイルではありません。</translation>
    </message>
</context>
<context>
    <name>ExportService</name>
    <message>
        <source>the page could not be drawn</source>
        <translation>ページを描画できませんでした</translation>
    </message>
</context>
<context>
    <name>HeaderLabels</name>
    <message>
        <source>正常終了</source>
        <translation>正常終了</translation>
    </message>
    <message>
        <source>デコードエラー</source>
        <translation>デコードエラー</translation>
    </message>
    <message>
        <source>データエラー</source>
        <translation>データエラー</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>新規作成(&amp;N)</translation>
    </message>
    <message>
        <source>新規|新規ファイルの作成</source>
        <translation>新規|新規ファイルの作成</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>開く(&amp;O)...</translation>
    </message>
    <message>
        <source>開く|ファイルを開く</source>
        <translation>開く|ファイルを開く</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>上書き保存(&amp;S)</translation>
    </message>
    <message>
        <source>保存|現在のファイルを保存</source>
        <translation>保存|現在のファイルを保存</translation>
    </message>
    <message>
        <source>名前をつけて保存(&amp;A)...</source>
        <translation>名前をつけて保存(&amp;A)...</translation>
    </message>
    <message>
        <source>別名保存|現在のファイルに別の名前をつけて保存</source>
        <translation>別名保存|現在のファイルに別の名前をつけて保存</translation>
    </message>
    <message>
        <source>印刷プレビュー(&amp;V)...</source>
        <translation>印刷プレビュー(&amp;V)...</translation>
    </message>
    <message>
        <source>印刷(&amp;P)</source>
        <translation>印刷(&amp;P)</translation>
    </message>
    <message>
        <source>印刷設定(&amp;U)</source>
        <translation>印刷設定(&amp;U)</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>終了|アプリケーション終了</source>
        <translation>終了|アプリケーション終了</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>切り取り(&amp;T)</translation>
    </message>
    <message>
        <source>切り取り|選択部分を切り取りクリップボードに送る</source>
        <translation>切り取り|選択部分を切り取りクリップボードに送る</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>コピー|選択部分をコピーしクリップボードに送る</source>
        <translation>コピー|選択部分をコピーしクリップボードに送る</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>貼り付け|クリップボードの内容を貼り付け</source>
        <translation>貼り付け|クリップボードの内容を貼り付け</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>バージョン情報(&amp;A)...</translation>
    </message>
    <message>
        <source>バージョン情報|バージョンなど固有の情報を表示</source>
        <translation>バージョン情報|バージョンなど固有の情報を表示</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>ファイルに関連した機能</source>
        <translation>ファイルに関連した機能</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>編集に関連した機能</source>
        <translation>編集に関連した機能</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>ヘルプトピック</source>
        <translation>ヘルプトピック</translation>
    </message>
    <message>
        <source>エクスポート(&amp;E)...</source>
        <translation>エクスポート(&amp;E)...</translation>
    </message>
</context>
<context>
    <name>MeasurementColumn</name>
    <message>
        <source>Measured from the waveform by this program: the record holds no value here.</source>
        <translation>このプログラムが波形から計測した値です（記録にはこの値がありません）。</translation>
    </message>
</context>
<context>
    <name>NameFilter</name>
    <message>
        <source>Record files</source>
        <translation>記録ファイル</translation>
    </message>
    <message>
        <source>WFDB records</source>
        <translation>WFDB レコード</translation>
    </message>
    <message>
        <source>EDF, EDF+ and BDF files</source>
        <translation>EDF・EDF+・BDF ファイル</translation>
    </message>
    <message>
        <source>DICOM ECG files</source>
        <translation>DICOM 心電図ファイル</translation>
    </message>
    <message>
        <source>All readable files</source>
        <translation>読み込めるすべてのファイル</translation>
    </message>
    <message>
        <source>CSV files</source>
        <translation>CSV ファイル</translation>
    </message>
</context>
<context>
    <name>OutputRefusal</name>
    <message>
        <source>There is no record to print. Choose records for the work list and press &quot;Analyse&quot; first.</source>
        <translation>印刷する記録がありません。作業リストに記録を選び、先に「Analyse」を押してください。</translation>
    </message>
    <message>
        <source>There is no record to export. Choose records for the work list and press &quot;Analyse&quot; first.</source>
        <translation>エクスポートする記録がありません。作業リストに記録を選び、先に「Analyse」を押してください。</translation>
    </message>
    <message>
        <source>The record could not be read, so there is nothing to print.
%1</source>
        <translation>記録を読み込めなかったため、印刷するものがありません。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>The record could not be read, so there is nothing to export.
%1</source>
        <translation>記録を読み込めなかったため、エクスポートするものがありません。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then print.</source>
        <translation>「Analyse」の後に作業リストが変更されました: 画面の記録 %1 は、もう作業リストの %2 番目の記録ではありません。
もう一度「Analyse」を押してから印刷してください。</translation>
    </message>
    <message>
        <source>The work list has changed since &quot;Analyse&quot;: the record on the screen, %1, is not its record %2 any more.
Press &quot;Analyse&quot; again, then export.</source>
        <translation>「Analyse」の後に作業リストが変更されました: 画面の記録 %1 は、もう作業リストの %2 番目の記録ではありません。
もう一度「Analyse」を押してから、エクスポートしてください。</translation>
    </message>
</context>
<context>
    <name>PageAnnotations</name>
    <message>
        <source>Name: %1</source>
        <translation>氏名: %1</translation>
    </message>
    <message>
        <source>ID: %1</source>
        <translation>ID: %1</translation>
    </message>
    <message>
        <source>Age: %1</source>
        <translation>年齢: %1</translation>
    </message>
    <message>
        <source>Sex: %1</source>
        <translation>性別: %1</translation>
    </message>
    <message>
        <source>Recorded: %1</source>
        <translation>記録日時: %1</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>ファイル: %1</translation>
    </message>
    <message>
        <source>Filters: %1</source>
        <translation>フィルタ: %1</translation>
    </message>
    <message>
        <source>%1 Hz notch</source>
        <translation>%1 Hz ノッチ</translation>
    </message>
    <message>
        <source>baseline %1 Hz</source>
        <translation>基線 %1 Hz</translation>
    </message>
    <message>
        <source>mains %1 Hz</source>
        <translation>交流 %1 Hz</translation>
    </message>
    <message>
        <source>muscle %1 Hz</source>
        <translation>筋電 %1 Hz</translation>
    </message>
</context>
<context>
    <name>PageMeasurements</name>
    <message>
        <source>measured</source>
        <translation>計測</translation>
    </message>
    <message>
        <source>recorded</source>
        <translation>記録</translation>
    </message>
    <message>
        <source>%1 %2 (%3)</source>
        <extracomment>A measurement in the printed page&apos;s margin: its name, value with unit, and &quot;measured&quot; or &quot;recorded&quot;</extracomment>
        <translation>%1 %2（%3）</translation>
    </message>
</context>
<context>
    <name>RecordFiles</name>
    <message>
        <source>WFDB record, .hea and .dat (*.hea)</source>
        <translation>WFDB レコード、.hea と .dat (*.hea)</translation>
    </message>
    <message>
        <source>EDF+ file (*.edf)</source>
        <translation>EDF+ ファイル (*.edf)</translation>
    </message>
    <message>
        <source>DICOM 12-lead ECG (*.dcm)</source>
        <translation>DICOM 12誘導心電図 (*.dcm)</translation>
    </message>
    <message>
        <source>CSV, time and twelve leads in uV (*.csv)</source>
        <translation>CSV、時刻と12誘導 (uV) (*.csv)</translation>
    </message>
    <message>
        <source>PNG image of the main view (*.png)</source>
        <translation>メイン表示の PNG 画像 (*.png)</translation>
    </message>
    <message>
        <source>PDF of the printed page (*.pdf)</source>
        <translation>印刷ページの PDF (*.pdf)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>exists already and is not replaced; choose another name or remove it first</source>
        <translation>すでに存在するため置き換えません。別の名前を選ぶか、先に削除してください</translation>
    </message>
    <message>
        <source>Open records</source>
        <translation>記録を開く</translation>
    </message>
    <message>
        <source>Export the record</source>
        <translation>記録をエクスポート</translation>
    </message>
    <message>
        <source>The record was not exported.
%1</source>
        <translation>記録をエクスポートできませんでした。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>%1 was exported to %2.</source>
        <translation>%1 を %2 にエクスポートしました。</translation>
    </message>
    <message>
        <source>%1: CORVALE does not read this kind of file (it reads record files, WFDB, EDF/EDF+/BDF, DICOM ECG and CSV).</source>
        <translation>%1: この種類のファイルは読み込めません（読み込めるのは記録ファイル、WFDB、EDF/EDF+/BDF、DICOM 心電図、CSV です）。</translation>
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
        <translation>ECG caliblation</translation>
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
        <translation>印刷中</translation>
    </message>
    <message>
        <source>ファイルをクリップボードへ転送しました。</source>
        <translation>ファイルをクリップボードへ転送しました。</translation>
    </message>
    <message>
        <source>The BMP file was not saved.
%1</source>
        <translation>ＢＭＰファイルを保存できませんでした。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>ＢＭＰファイルを出力しました。</source>
        <translation>ＢＭＰファイルを出力しました。</translation>
    </message>
    <message>
        <source>The record was not copied.
%1</source>
        <translation>記録をコピーできませんでした。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>ファイルをコピーしました。</source>
        <translation>ファイルをコピーしました。</translation>
    </message>
</context>
<context>
    <name>corvale::FiducialMarksOption</name>
    <message>
        <source>fiducial marks</source>
        <translation>計測点</translation>
    </message>
    <message>
        <source>Marks the onsets and offsets of the waves that the measurement found (blue, above each trace) and those of the record&apos;s annotation files (orange, below)</source>
        <translation>計測で求めた波の始まりと終わり（青、各波形の上）と、記録の注釈ファイルにあるもの（橙、下）に印を付けます</translation>
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
        <translation>ouput directory</translation>
    </message>
    <message>
        <source>This directory cannot be read: %1</source>
        <translation>このディレクトリは読み込めません: %1</translation>
    </message>
    <message>
        <source>1 record file is not listed: its name cannot be shown apart from another&apos;s</source>
        <translation>記録ファイル1件を一覧に表示できません: 名前が他のファイルと区別できません</translation>
    </message>
    <message>
        <source>%1 record files are not listed: their names cannot be shown apart from others&apos;</source>
        <translation>記録ファイル%1件を一覧に表示できません: 名前が他のファイルと区別できません</translation>
    </message>
</context>
<context>
    <name>corvale::FilterOptions</name>
    <message>
        <source>muscle off</source>
        <translation>筋電 オフ</translation>
    </message>
    <message>
        <source>muscle 25 Hz</source>
        <translation>筋電 25 Hz</translation>
    </message>
    <message>
        <source>muscle 35 Hz</source>
        <translation>筋電 35 Hz</translation>
    </message>
    <message>
        <source>muscle 40 Hz</source>
        <translation>筋電 40 Hz</translation>
    </message>
    <message>
        <source>Muscle noise filter (low-pass)</source>
        <translation>筋電フィルタ（低域通過）</translation>
    </message>
    <message>
        <source>mains off</source>
        <translation>交流 オフ</translation>
    </message>
    <message>
        <source>mains 50 Hz</source>
        <translation>交流 50 Hz</translation>
    </message>
    <message>
        <source>mains 60 Hz</source>
        <translation>交流 60 Hz</translation>
    </message>
    <message>
        <source>Mains hum filter (notch)</source>
        <translation>交流障害フィルタ（ノッチ）</translation>
    </message>
    <message>
        <source>baseline off</source>
        <translation>基線 オフ</translation>
    </message>
    <message>
        <source>baseline 0.67 Hz</source>
        <translation>基線 0.67 Hz</translation>
    </message>
    <message>
        <source>baseline 0.05 Hz</source>
        <translation>基線 0.05 Hz</translation>
    </message>
    <message>
        <source>Baseline wander filter (high-pass)</source>
        <translation>基線変動フィルタ（高域通過）</translation>
    </message>
    <message>
        <source>filtered %1</source>
        <translation>フィルタ %1</translation>
    </message>
    <message>
        <source>unfiltered</source>
        <translation>フィルタなし</translation>
    </message>
    <message>
        <source>%1 Hz notch</source>
        <translation>%1 Hz ノッチ</translation>
    </message>
    <message>
        <source>baseline %1 Hz</source>
        <translation>基線 %1 Hz</translation>
    </message>
    <message>
        <source>mains %1 Hz</source>
        <translation>交流 %1 Hz</translation>
    </message>
    <message>
        <source>muscle %1 Hz</source>
        <translation>筋電 %1 Hz</translation>
    </message>
</context>
<context>
    <name>corvale::HeaderTab</name>
    <message>
        <source>サンプリング間隔</source>
        <translation>サンプリング間隔</translation>
    </message>
    <message>
        <source>ＬＳＢの大きさ</source>
        <translation>ＬＳＢの大きさ</translation>
    </message>
    <message>
        <source>フィルタ情報</source>
        <translation>フィルタ情報</translation>
    </message>
    <message>
        <source>低域周波数</source>
        <translation>低域周波数</translation>
    </message>
    <message>
        <source>高域周波数</source>
        <translation>高域周波数</translation>
    </message>
    <message>
        <source>格納誘導数</source>
        <translation>格納誘導数</translation>
    </message>
    <message>
        <source>サンプリング数</source>
        <translation>サンプリング数</translation>
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
        <translation>所見コード１</translation>
    </message>
    <message>
        <source>所見コード２</source>
        <translation>所見コード２</translation>
    </message>
    <message>
        <source>所見コード３</source>
        <translation>所見コード３</translation>
    </message>
    <message>
        <source>所見コード４</source>
        <translation>所見コード４</translation>
    </message>
    <message>
        <source>所見コード５</source>
        <translation>所見コード５</translation>
    </message>
    <message>
        <source>所見コード６</source>
        <translation>所見コード６</translation>
    </message>
    <message>
        <source>所見コード７</source>
        <translation>所見コード７</translation>
    </message>
    <message>
        <source>所見コード８</source>
        <translation>所見コード８</translation>
    </message>
    <message>
        <source>所見コード９</source>
        <translation>所見コード９</translation>
    </message>
    <message>
        <source>身長</source>
        <translation>身長</translation>
    </message>
    <message>
        <source>体重</source>
        <translation>体重</translation>
    </message>
    <message>
        <source>血圧</source>
        <translation>血圧</translation>
    </message>
    <message>
        <source>所属コード１</source>
        <translation>所属コード１</translation>
    </message>
    <message>
        <source>所属コード２</source>
        <translation>所属コード２</translation>
    </message>
    <message>
        <source>自覚症状</source>
        <translation>自覚症状</translation>
    </message>
    <message>
        <source>投薬情報</source>
        <translation>投薬情報</translation>
    </message>
    <message>
        <source>負荷情報</source>
        <translation>負荷情報</translation>
    </message>
    <message>
        <source>収録年上２桁</source>
        <translation>収録年上２桁</translation>
    </message>
    <message>
        <source>処理結果</source>
        <translation>処理結果</translation>
    </message>
    <message>
        <source>データ種別</source>
        <translation>データ種別</translation>
    </message>
    <message>
        <source>ミネソタコード１</source>
        <translation>ミネソタコード１</translation>
    </message>
    <message>
        <source>ミネソタコード２</source>
        <translation>ミネソタコード２</translation>
    </message>
    <message>
        <source>ミネソタコード３</source>
        <translation>ミネソタコード３</translation>
    </message>
    <message>
        <source>ミネソタコード４</source>
        <translation>ミネソタコード４</translation>
    </message>
    <message>
        <source>ミネソタコード５</source>
        <translation>ミネソタコード５</translation>
    </message>
    <message>
        <source>ミネソタコード６</source>
        <translation>ミネソタコード６</translation>
    </message>
    <message>
        <source>ミネソタコード７</source>
        <translation>ミネソタコード７</translation>
    </message>
    <message>
        <source>ミネソタコード８</source>
        <translation>ミネソタコード８</translation>
    </message>
    <message>
        <source>ミネソタコード９</source>
        <translation>ミネソタコード９</translation>
    </message>
    <message>
        <source>ミネソタコード１０</source>
        <translation>ミネソタコード１０</translation>
    </message>
    <message>
        <source>ミネソタコード１１</source>
        <translation>ミネソタコード１１</translation>
    </message>
    <message>
        <source>ミネソタコード１２</source>
        <translation>ミネソタコード１２</translation>
    </message>
    <message>
        <source>ミネソタコード１３</source>
        <translation>ミネソタコード１３</translation>
    </message>
    <message>
        <source>ミネソタコード１４</source>
        <translation>ミネソタコード１４</translation>
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
        <translation>患者、記録、ファイル名と縮尺をページの余白に印刷します</translation>
    </message>
</context>
<context>
    <name>corvale::PrintJob</name>
    <message>
        <source>The page&apos;s margin has no room for these items, so they are not printed:
%1
A larger &quot;Margin&quot; on the &quot;Header and Printer Setup&quot; tab makes room.</source>
        <translation>ページの余白に入りきらないため、次の項目は印刷されません:
%1
「Header and Printer Setup」タブの「Margin」を大きくすると入ります。</translation>
    </message>
    <message>
        <source>Print preview: %1</source>
        <translation>印刷プレビュー: %1</translation>
    </message>
    <message>
        <source>No printer is available. Install one, or choose another in &quot;印刷設定(&amp;U)&quot;.</source>
        <translation>使用できるプリンタがありません。プリンタをインストールするか、「印刷設定(&amp;U)」で別のプリンタを選んでください。</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; could not start the job for %2.</source>
        <translation>プリンタ「%1」で %2 の印刷を開始できませんでした。</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; reported an error; the page of %2 may be incomplete.</source>
        <translation>プリンタ「%1」がエラーを報告しました。%2 のページは不完全な可能性があります。</translation>
    </message>
</context>
<context>
    <name>corvale::PrinterSetupDialog</name>
    <message>
        <source>印刷設定</source>
        <translation>印刷設定</translation>
    </message>
    <message>
        <source>PDF file</source>
        <translation>PDFファイル</translation>
    </message>
    <message>
        <source>(no printer is installed)</source>
        <translation>（プリンタがインストールされていません）</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>プリンタ</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>用紙</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>縦</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>横</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>向き</translation>
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
        <translation>ライセンス : %1</translation>
    </message>
    <message>
        <source>Sample records: public data under their own licences (see Details).</source>
        <translation>サンプル記録: それぞれのライセンスで公開されているデータです（詳細を参照）。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Details &lt;&lt;</source>
        <translation>詳細 &lt;&lt;</translation>
    </message>
    <message>
        <source>Details &gt;&gt;</source>
        <translation>詳細 &gt;&gt;</translation>
    </message>
    <message>
        <source>**CORVALE** version %1, built with Qt %2, running on Qt %3.

### Licence

CORVALE is distributed under the %4 licence:

%5

%6</source>
        <extracomment>Markdown: keep the ** and ### marks and the blank lines</extracomment>
        <translation>**CORVALE** バージョン %1（Qt %2 でビルド、Qt %3 で実行中）。

### ライセンス

CORVALE は %4 ライセンスで配布されています:

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
        <translation>「Analyse」の後に作業リストが変更されました: %1 番目の記録はもうありません（現在 %2 件です）。
</translation>
    </message>
    <message>
        <source>The screen still shows %1.
</source>
        <translation>画面には %1 が表示されたままです。
</translation>
    </message>
    <message>
        <source>Press &quot;Analyse&quot; again to view the records of the work list.</source>
        <translation>作業リストの記録を表示するには、もう一度「Analyse」を押してください。</translation>
    </message>
    <message>
        <source>The record cannot be read.
%1</source>
        <translation>記録を読み込めません。
詳細（英語）: %1</translation>
    </message>
    <message>
        <source>%1 holds no record files (.nrm, .msd).</source>
        <translation>%1 に記録ファイル（.nrm, .msd）がありません。</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>ほか %1 件</translation>
    </message>
</context>
</TS>
