<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>AcousticChoices</name>
    <message>
        <source>No right axis</source>
        <translation>右軸なし</translation>
    </message>
    <message>
        <source>Phase of the sum</source>
        <translation>合計の位相</translation>
    </message>
    <message>
        <source>Phase of each band</source>
        <translation>各帯域の位相</translation>
    </message>
    <message>
        <source>Group delay (ms)</source>
        <translation>群遅延 (ms)</translation>
    </message>
    <message>
        <source>What the right axis shows: the sum&apos;s phase, each band&apos;s phase and the sum&apos;s, or the group delay of each band and of the sum in ms, the crossover&apos;s latency taken out</source>
        <translation>右軸に示すもの: 合計の位相、各帯域と合計の位相、または各帯域と合計の群遅延 (ms、クロスオーバーのレイテンシーを除く)</translation>
    </message>
    <message>
        <source>Drivers alone</source>
        <translation>ドライバー単体</translation>
    </message>
    <message>
        <source>Each driver&apos;s own level, from its file without the crossover</source>
        <translation>各ドライバー自身のレベル(クロスオーバーなしのファイルから)</translation>
    </message>
    <message>
        <source>Range:</source>
        <translation>範囲:</translation>
    </message>
</context>
<context>
    <name>AcousticView</name>
    <message>
        <source>Driver files: FRD, text and CSV exports, impulse-response WAV (*.frd *.txt *.csv *.wav)</source>
        <translation>ドライバーのファイル: FRD、テキストとCSVの書き出し、インパルス応答のWAV (*.frd *.txt *.csv *.wav)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>FRD, one file per band and the sum (*.frd)</source>
        <translation>FRD、帯域ごとと合計に1ファイルずつ (*.frd)</translation>
    </message>
    <message>
        <source>Export FRD…</source>
        <translation>FRDを書き出す…</translation>
    </message>
    <message>
        <source>File…</source>
        <translation>ファイル…</translation>
    </message>
    <message>
        <source>Ideal driver (0°, at the measured drivers&apos; level)</source>
        <translation>理想ドライバー(0°、測定したドライバーのレベル)</translation>
    </message>
    <message>
        <source>ch </source>
        <translation>ch </translation>
    </message>
    <message>
        <source>The channel of an impulse-response WAV</source>
        <translation>インパルス応答WAVのチャンネル</translation>
    </message>
    <message>
        <source>whole file</source>
        <translation>ファイル全体</translation>
    </message>
    <message>
        <source>The gate of an impulse response: what is kept after its peak, the last tenth faded out</source>
        <translation>インパルス応答のゲート: ピークの後に残す長さ(最後の1割はフェードアウト)</translation>
    </message>
    <message>
        <source>Invert</source>
        <translation>反転</translation>
    </message>
    <message>
        <source>Gate</source>
        <translation>ゲート</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>ゲイン</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>遅延</translation>
    </message>
    <message>
        <source>Driver of the %1 band</source>
        <translation>%1 帯域のドライバー</translation>
    </message>
    <message>
        <source>Export acoustic responses as FRD</source>
        <translation>音響特性をFRDで書き出す</translation>
    </message>
    <message>
        <source>Save acoustic response as PNG</source>
        <translation>音響特性をPNGで保存</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG画像 (*.png)</translation>
    </message>
    <message>
        <source>%1
%2 points, %3 … %4
%5</source>
        <translation>%1
%2 点、%3 … %4
%5</translation>
    </message>
    <message>
        <source> (not loaded)</source>
        <translation> (読み込まれていません)</translation>
    </message>
    <message>
        <source>
The ideal driver stands in for it.</source>
        <translation>
代わりに理想ドライバーを使います。</translation>
    </message>
    <message>
        <source>ideal driver (%1 dB, 0°)</source>
        <translation>理想ドライバー (%1 dB、0°)</translation>
    </message>
    <message>
        <source>With a measured driver loaded, an ideal band takes the mean of the measured drivers&apos; median levels.</source>
        <translation>測定したドライバーを読み込むと、理想ドライバーの帯域は測定したドライバーの中央値レベルの平均になります。</translation>
    </message>
    <message>
        <source>%1 … %2, %3 points (48 per octave). Drop driver files (.frd, .txt, .csv, .wav) onto a band&apos;s row, or all three onto the plot.</source>
        <translation>%1 … %2、%3 点(1オクターブに48点)。ドライバーのファイル(.frd, .txt, .csv, .wav)を帯域の行に、または3つまとめてグラフにドロップしてください。</translation>
    </message>
    <message>
        <source> Dashed: beyond a file&apos;s ends; </source>
        <translation> 破線はファイルの範囲外: </translation>
    </message>
    <message>
        <source>Corrected: the sum %1. Dashed black: the target; dashed in a band&apos;s colour: its correction about the target.</source>
        <translation>補正済み: 合計 %1。黒の破線: ターゲット、帯域の色の破線: ターゲットを基準にしたその帯域の補正。</translation>
    </message>
    <message>
        <source>Save acoustic response as CSV</source>
        <translation>音響特性をCSVで保存</translation>
    </message>
    <message>
        <source>CSV, one row per frequency (*.csv)</source>
        <translation>CSV、周波数ごとに1行 (*.csv)</translation>
    </message>
</context>
<context>
    <name>AlignControls</name>
    <message>
        <source>Align</source>
        <translation>整列</translation>
    </message>
    <message>
        <source>Sets each band&apos;s gain, delay (within 2 ms of the mid band&apos;s) and polarity so that the sum comes closest to the target where the drivers&apos; data lie</source>
        <translation>ドライバーのデータがある範囲で合計が目標に最も近づくよう、各帯域のゲイン・遅延(中域の帯域から2 ms以内)・極性を設定します</translation>
    </message>
    <message>
        <source>Mean deviation from the target %1 → %2 dB</source>
        <translation>目標からの平均偏差 %1 → %2 dB</translation>
    </message>
    <message>
        <source>Target %1 dB, measured over %2 … %3 (%4 points)</source>
        <translation>目標 %1 dB、%2 … %3 で測定(%4 点)</translation>
    </message>
</context>
<context>
    <name>CorrectionControls</name>
    <message>
        <source>Correct</source>
        <translation>補正</translation>
    </message>
    <message>
        <source>Bring this band&apos;s driver to the target in level and phase</source>
        <translation>この帯域のドライバーをレベルと位相でターゲットに合わせる</translation>
    </message>
    <message>
        <source>band&apos;s taps</source>
        <translation>帯域のタップ数</translation>
    </message>
    <message>
        <source>Taps of the correction (odd): it follows nothing narrower than the rate divided by them</source>
        <translation>補正のタップ数(奇数): サンプリング周波数をタップ数で割った幅より細かいものには追従しません</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>ターゲット</translation>
    </message>
    <message>
        <source>Off: the least sensitive driver&apos;s level within its band</source>
        <translation>オフ: 最も能率の低いドライバーの帯域内レベル</translation>
    </message>
    <message>
        <source> dB/oct</source>
        <translation> dB/oct</translation>
    </message>
    <message>
        <source>Tilt of the target about 1 kHz</source>
        <translation>1 kHz を中心としたターゲットの傾き</translation>
    </message>
    <message>
        <source>The most the correction lifts a driver</source>
        <translation>補正がドライバーを持ち上げる最大量</translation>
    </message>
    <message>
        <source> oct</source>
        <translation> oct</translation>
    </message>
    <message>
        <source>Smoothing of the driver before it is inverted, so that narrow dips are not filled</source>
        <translation>反転する前のドライバーの平滑化(狭いディップを埋めないため)</translation>
    </message>
    <message>
        <source>Phase</source>
        <translation>位相</translation>
    </message>
    <message>
        <source>Take out the driver&apos;s minimum phase as well as its level</source>
        <translation>レベルとともにドライバーの最小位相も取り除く</translation>
    </message>
    <message>
        <source>Boost</source>
        <translation>ブースト</translation>
    </message>
    <message>
        <source>Smoothing</source>
        <translation>平滑化</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Export into folder</source>
        <translation>書き出し先のフォルダー</translation>
    </message>
    <message>
        <source>Export coefficients</source>
        <translation>係数を書き出す</translation>
    </message>
    <message>
        <source>The largest gain of the exported filter over frequency, |H(f)|.</source>
        <translation>書き出すフィルタの周波数全体での最大ゲイン |H(f)|。</translation>
    </message>
    <message>
        <source>The sum of the magnitudes of the exported taps: the largest output of a signal of full scale. Above 0 dB such a signal can clip.</source>
        <translation>書き出すタップの絶対値の合計: フルスケールの信号が出しうる最大の出力。0 dBを超えるとそのような信号はクリップしえます。</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出す</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Sample rates</source>
        <translation>サンプリング周波数</translation>
    </message>
    <message>
        <source>%1 Hz (the design shown)</source>
        <translation>%1 Hz (表示中の設計)</translation>
    </message>
    <message>
        <source>e.g. 32000,64000</source>
        <translation>例: 32000,64000</translation>
    </message>
    <message>
        <source>The rate the window&apos;s tap counts are meant at. At 44100 Hz, the window&apos;s rate, the design shown is exported as it is and every other rate scales its counts so that the filters keep their length in time and their latency; at another rate every rate, 44100 Hz too, scales them from there.</source>
        <translation>ウィンドウのタップ数が意味するサンプリング周波数。ウィンドウの周波数である44100 Hzでは表示中の設計をそのまま書き出し、ほかの周波数ではフィルタの時間長とレイテンシが保たれるようにタップ数を換算します。ほかの周波数を選ぶと、44100 Hzも含めすべての周波数がそこから換算されます。</translation>
    </message>
    <message>
        <source>Other:</source>
        <translation>その他:</translation>
    </message>
    <message>
        <source>Tap counts at:</source>
        <translation>タップ数の基準:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>参照…</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>フォルダー:</translation>
    </message>
    <message>
        <source>{rate} is replaced by each rate in whole hertz.</source>
        <translation>{rate} は各サンプリング周波数(整数のHz)に置き換えられます。</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>名前:</translation>
    </message>
    <message>
        <source>Apply each band&apos;s gain, delay and polarity (acoustic view)</source>
        <translation>各帯域のゲイン・遅延・極性を適用(音響ビュー)</translation>
    </message>
    <message>
        <source>Gain and polarity multiply the taps; the delays, from the earliest band, are whole samples and a Kaiser-windowed sinc for the fraction. Clear it to export the pure crossover.</source>
        <translation>ゲインと極性はタップに掛けられます。遅延は最も早い帯域からの差で、整数サンプル分と端数分のカイザー窓付きsincです。外すとクロスオーバーそのものを書き出します。</translation>
    </message>
    <message>
        <source>One attenuation for every band, so that the largest peak or worst-case gain of the bands is 0 dB.</source>
        <translation>すべての帯域に同じ減衰をかけ、帯域の最大のピークゲインまたは最悪ケースのゲインを0 dBにします。</translation>
    </message>
    <message>
        <source>Normalize:</source>
        <translation>正規化:</translation>
    </message>
    <message>
        <source>every rate</source>
        <translation>すべての周波数</translation>
    </message>
    <message>
        <source> (at %1 Hz)</source>
        <translation> (%1 Hz で)</translation>
    </message>
    <message>
        <source>The export failed (see the message).</source>
        <translation>書き出しに失敗しました(メッセージを参照)。</translation>
    </message>
    <message>
        <source>Nothing was written.</source>
        <translation>何も書き込まれていません。</translation>
    </message>
    <message>
        <source>Wrote 1 file to %1, as the table lists them.</source>
        <translation>表のとおり、1 個のファイルを %1 に書き込みました。</translation>
    </message>
    <message>
        <source>Wrote %1 files to %2, as the table lists them.</source>
        <translation>表のとおり、%1 個のファイルを %2 に書き込みました。</translation>
    </message>
</context>
<context>
    <name>FirstStartHint</name>
    <message>
        <source>Right-click the graph (or press the Menu key) for its menu: copy, save and export, open and save design files (Ctrl+O, Ctrl+S); Ctrl+T shows the time and acoustic window.</source>
        <translation>グラフを右クリック(またはメニューキー)でメニュー: コピー、保存と書き出し、設計ファイルを開く・保存(Ctrl+O、Ctrl+S)。Ctrl+Tで時間応答と音響特性のウィンドウを表示します。</translation>
    </message>
</context>
<context>
    <name>GraphMenu</name>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG画像 (*.png)</translation>
    </message>
    <message>
        <source>CSV, one row per grid point (*.csv)</source>
        <translation>CSV、格子点ごとに1行 (*.csv)</translation>
    </message>
    <message>
        <source>Calc first</source>
        <translation>先に計算してください</translation>
    </message>
    <message>
        <source>Copy graph</source>
        <translation>グラフをコピー</translation>
    </message>
    <message>
        <source>Save graph as PNG…</source>
        <translation>グラフをPNGで保存…</translation>
    </message>
    <message>
        <source>Export coefficients…</source>
        <translation>係数を書き出す…</translation>
    </message>
    <message>
        <source>Export response as CSV…</source>
        <translation>周波数特性をCSVで書き出す…</translation>
    </message>
    <message>
        <source>Time response…</source>
        <translation>時間応答…</translation>
    </message>
    <message>
        <source>Open design…</source>
        <translation>設計を開く…</translation>
    </message>
    <message>
        <source>Save design</source>
        <translation>設計を保存</translation>
    </message>
    <message>
        <source>Save design as…</source>
        <translation>名前を付けて設計を保存…</translation>
    </message>
    <message>
        <source>Copied the graph</source>
        <translation>グラフをコピーしました</translation>
    </message>
    <message>
        <source>Save graph as PNG</source>
        <translation>グラフをPNGで保存</translation>
    </message>
    <message>
        <source>Export response as CSV</source>
        <translation>周波数特性をCSVで書き出す</translation>
    </message>
</context>
<context>
    <name>PictureView</name>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>Save PNG…</source>
        <translation>PNGで保存…</translation>
    </message>
    <message>
        <source>Save CSV…</source>
        <translation>CSVで保存…</translation>
    </message>
</context>
<context>
    <name>SpeakerTimeView</name>
    <message>
        <source>Impulse</source>
        <translation>インパルス</translation>
    </message>
    <message>
        <source>Impulse in dB</source>
        <translation>インパルス (dB)</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>ステップ</translation>
    </message>
    <message>
        <source>View:</source>
        <translation>表示:</translation>
    </message>
    <message>
        <source>No design yet: press Calc in the main window.</source>
        <translation>まだ設計がありません: メインウィンドウで計算してください。</translation>
    </message>
    <message>
        <source>Save the speaker&apos;s response as PNG</source>
        <translation>スピーカーの応答をPNGで保存</translation>
    </message>
    <message>
        <source>Save the speaker&apos;s response as CSV</source>
        <translation>スピーカーの応答をCSVで保存</translation>
    </message>
</context>
<context>
    <name>TimeResponseWindow</name>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG画像 (*.png)</translation>
    </message>
    <message>
        <source>CSV, one row per tap (*.csv)</source>
        <translation>CSV、タップごとに1行 (*.csv)</translation>
    </message>
    <message>
        <source>Time and acoustic response</source>
        <translation>時間応答と音響特性</translation>
    </message>
    <message>
        <source>Impulse</source>
        <translation>インパルス</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>ステップ</translation>
    </message>
    <message>
        <source>View:</source>
        <translation>表示:</translation>
    </message>
    <message>
        <source>Show:</source>
        <translation>曲線:</translation>
    </message>
    <message>
        <source>Reset zoom</source>
        <translation>ズームを戻す</translation>
    </message>
    <message>
        <source>Save PNG…</source>
        <translation>PNGで保存…</translation>
    </message>
    <message>
        <source>Save CSV…</source>
        <translation>CSVで保存…</translation>
    </message>
    <message>
        <source>Pre-ringing threshold:</source>
        <translation>プリリンギングのしきい値:</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Acoustic</source>
        <translation>音響</translation>
    </message>
    <message>
        <source>Save time response as PNG</source>
        <translation>時間応答をPNGで保存</translation>
    </message>
    <message>
        <source>Save time response as CSV</source>
        <translation>時間応答をCSVで保存</translation>
    </message>
    <message>
        <source>No design yet: press Calc in the main window.</source>
        <translation>まだ設計がありません: メインウィンドウで計算してください。</translation>
    </message>
    <message>
        <source>Adjust coefficient is on: the three bands add up to a unit impulse at the centre tap, so the sum does not ring (0 ms).</source>
        <translation>係数調整がオンです: 3つの帯域の合計は中央タップの単位インパルスになるため、合計はリンギングしません(0 ms)。</translation>
    </message>
    <message>
        <source>Speaker in time</source>
        <translation>スピーカーの時間応答</translation>
    </message>
</context>
</TS>
