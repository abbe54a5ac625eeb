<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>vorne::editor::EditorWindow</name>
    <message>
        <source>Open stage file</source>
        <translation>ステージファイルを開く</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>... and %1 more (see the details).</source>
        <translation>…ほか %1 件(詳細を見てください)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>Open stage file...</source>
        <translation>ステージファイルを開く...</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>上書き保存</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>名前を付けて保存...</translation>
    </message>
    <message>
        <source>Previous stage</source>
        <translation>前のステージ</translation>
    </message>
    <message>
        <source>Next stage</source>
        <translation>次のステージ</translation>
    </message>
    <message>
        <source>Insert a new stage after this one</source>
        <translation>この後に新しいステージを挿入</translation>
    </message>
    <message>
        <source>Duplicate this stage</source>
        <translation>このステージを複製</translation>
    </message>
    <message>
        <source>Delete this stage</source>
        <translation>このステージを削除</translation>
    </message>
    <message>
        <source>Move this stage up</source>
        <translation>このステージを上へ移動</translation>
    </message>
    <message>
        <source>Move this stage down</source>
        <translation>このステージを下へ移動</translation>
    </message>
    <message>
        <source>Show the stage list</source>
        <translation>ステージ一覧を表示</translation>
    </message>
    <message>
        <source>Try the stage in the game</source>
        <translation>試しにプレイ</translation>
    </message>
    <message>
        <source>Fill area</source>
        <translation>塗りつぶす</translation>
    </message>
    <message>
        <source>Erase area</source>
        <translation>塗りつぶして消す</translation>
    </message>
    <message>
        <source>Erase rectangle</source>
        <translation>四角く消す</translation>
    </message>
    <message>
        <source>Fill rectangle</source>
        <translation>四角く塗る</translation>
    </message>
    <message>
        <source>Paint</source>
        <translation>塗る</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>消す</translation>
    </message>
    <message>
        <source>Change width</source>
        <translation>横幅の変更</translation>
    </message>
    <message>
        <source>Change height</source>
        <translation>縦幅の変更</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>ロード</translation>
    </message>
    <message>
        <source>Saved to %1.</source>
        <translation>%1 にセーブしました。</translation>
    </message>
    <message>
        <source>The stage was saved to %1. A check of the file found:

%2</source>
        <translation>ステージを %1 にセーブしました。ファイルを検査したところ、次の問題がありました:

%2</translation>
    </message>
    <message>
        <source>The game is already running, started from somewhere else than this editor, and only one copy of it can run. Close it to try the stage.</source>
        <translation>このエディタ以外から起動されたゲームが動いています。ゲームは一つしか動かせません。試しにプレイするには、そのゲームを終了してください。</translation>
    </message>
    <message>
        <source>The game could not be started to try the stage: %1</source>
        <translation>試しにプレイするためのゲームを起動できません: %1</translation>
    </message>
    <message>
        <source>1 stage</source>
        <translation>1 ステージ</translation>
    </message>
    <message>
        <source>%1 stages</source>
        <translation>%1 ステージ</translation>
    </message>
    <message>
        <source>row %1 (1 cell)</source>
        <translation>%1 行目(1 マス)</translation>
    </message>
    <message>
        <source>row %1 (%2 cells)</source>
        <translation>%1 行目(%2 マス)</translation>
    </message>
    <message>
        <source>%1: rows longer than row 1 were cut to its width: %2.</source>
        <translation>%1: 1 行目より長い行を 1 行目の幅で切りました: %2。</translation>
    </message>
    <message>
        <source>%1: rows longer than their stage&apos;s row 1 were cut in stage %2.</source>
        <translation>%1: ステージ %2 で、1 行目より長い行を切りました。</translation>
    </message>
    <message>
        <source>Insert stage</source>
        <translation>ステージの挿入</translation>
    </message>
    <message>
        <source>Duplicate stage</source>
        <translation>ステージの複製</translation>
    </message>
    <message>
        <source>Delete stage</source>
        <translation>ステージの削除</translation>
    </message>
    <message>
        <source>Move stage up</source>
        <translation>ステージを上へ</translation>
    </message>
    <message>
        <source>Move stage down</source>
        <translation>ステージを下へ</translation>
    </message>
    <message>
        <source>Saved %1 (%2).</source>
        <translation>%1 をセーブしました(%2)。</translation>
    </message>
    <message>
        <source>%1 holds %2. Saving this stage alone replaces all of them with this one stage.</source>
        <translation>%1 には %2 が入っています。単体でセーブすると、そのすべてがこの一つのステージに置き換わります。</translation>
    </message>
    <message>
        <source>The stage being edited has unsaved changes. Open another file and drop them?</source>
        <translation>編集中のステージにセーブしていない変更があります。変更を捨てて別のファイルを開きますか?</translation>
    </message>
    <message>
        <source>The unsaved changes could not be kept: %1</source>
        <translation>セーブしていない変更を保存できませんでした: %1</translation>
    </message>
    <message>
        <source>Unsaved work kept by an earlier session cannot be read, and is left where it is: %1</source>
        <translation>前回残したセーブしていない作業を読めません。ファイルはそのまま残します: %1</translation>
    </message>
    <message>
        <source>the stage file %1 (%2)</source>
        <translation>ステージファイル %1(%2)</translation>
    </message>
    <message>
        <source>a stage that was not saved to any file</source>
        <translation>どのファイルにもセーブしていないステージ</translation>
    </message>
    <message>
        <source>The editor was closed with unsaved changes to %1. They were kept. Bring them back? (Cancel drops them.)</source>
        <translation>前回、%1 の変更をセーブせずにエディタを終了しました。変更は残してあります。元に戻しますか?(キャンセルすると捨てます)</translation>
    </message>
    <message>
        <source>Unsaved changes brought back.</source>
        <translation>セーブしていない変更を元に戻しました。</translation>
    </message>
    <message>
        <source>Cannot write the stage to try in %1: %2</source>
        <translation>試しにプレイするステージを %1 に書けません: %2</translation>
    </message>
    <message>
        <source>Cannot write the stage to try to %1: %2</source>
        <translation>試しにプレイするステージを %1 に書けません: %2</translation>
    </message>
    <message>
        <source>%1: the game is not there</source>
        <translation>%1: ゲームが見つかりません</translation>
    </message>
    <message>
        <source>%1: is not a program that can be started</source>
        <translation>%1: 起動できるプログラムではありません</translation>
    </message>
    <message>
        <source>start</source>
        <translation>開始位置</translation>
    </message>
    <message>
        <source>%1 starts</source>
        <translation>開始位置 %1 個</translation>
    </message>
    <message>
        <source>door</source>
        <translation>扉</translation>
    </message>
    <message>
        <source>%1 doors</source>
        <translation>扉 %1 個</translation>
    </message>
    <message>
        <source>coins %1</source>
        <translation>コイン %1</translation>
    </message>
    <message>
        <source>ready to play</source>
        <translation>プレイできます</translation>
    </message>
    <message>
        <source>the game refuses it: </source>
        <translation>ゲームが受け付けません: </translation>
    </message>
    <message>
        <source>Find a way to clear the stage...</source>
        <translation>クリアの仕方を探す...</translation>
    </message>
    <message>
        <source>proven</source>
        <translation>クリア確認済</translation>
    </message>
    <message>
        <source>proof stale</source>
        <translation>要再確認</translation>
    </message>
    <message>
        <source>proof ✓</source>
        <translation>クリア確認 ✓</translation>
    </message>
    <message>
        <source>no proof</source>
        <translation>クリア未確認</translation>
    </message>
    <message>
        <source>The try did not clear stage %1; no proof was kept.</source>
        <translation>ステージ %1 はクリアされなかったので、記録は残していません。</translation>
    </message>
    <message>
        <source>Stage %1 was cleared, but its proof could not be kept: %2</source>
        <translation>ステージ %1 はクリアされましたが、その記録を残せませんでした: %2</translation>
    </message>
    <message>
        <source>Stage %1 cleared: its proof is kept in %2.</source>
        <translation>ステージ %1 をクリアしました。記録を %2 に残しました。</translation>
    </message>
    <message>
        <source>The game could not be started to look for a way: %1</source>
        <translation>クリアの仕方を探すためのゲームを起動できません: %1</translation>
    </message>
    <message>
        <source>Looking for a way to clear stage %1...</source>
        <translation>ステージ %1 のクリアの仕方を探しています...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>The search for a way was cancelled.</source>
        <translation>クリアの仕方の探索を取り消しました。</translation>
    </message>
    <message>
        <source>The search for a way failed: %1</source>
        <translation>クリアの仕方を探せませんでした: %1</translation>
    </message>
</context>
<context>
    <name>vorne::editor::StageListPanel</name>
    <message>
        <source>Insert a new stage after this one</source>
        <translation>この後に新しいステージを挿入</translation>
    </message>
    <message>
        <source>Duplicate this stage</source>
        <translation>このステージを複製</translation>
    </message>
    <message>
        <source>Delete this stage</source>
        <translation>このステージを削除</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Move this stage up</source>
        <translation>このステージを上へ移動</translation>
    </message>
    <message>
        <source>Move this stage down</source>
        <translation>このステージを下へ移動</translation>
    </message>
    <message>
        <source>New</source>
        <translation>挿入</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>複製</translation>
    </message>
</context>
</TS>
