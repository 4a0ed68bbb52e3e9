#pragma once
// The speech options dialog (template 162, "Speech Settings"): volume and rate
// sliders, the Western and the Chinese voice, what is read, word
// synchronisation in the reader, readings from context, and a test phrase.
// OK applies and saves; Cancel undoes what a test changed. Modal, run from the
// toolbar's menu; user-interface thread only.
#include <windows.h>

#include "app/snd_volume_bttn.h"
#include "text/aarray.h"
#include "text/astring.h"
#include "ui/chn_dlg.h"
#include "ui/combo_mru.h"

class AuxiliaryVoice;
class SpeechEngine;

class CSpeechOpt : public CChnDlg {
public:
    CSpeechOpt(HWND parent, SpeechEngine& engine, AuxiliaryVoice& aux);
    ~CSpeechOpt() override = default;

    CSndVolumeBttn VolumeSlider;               // control 57777
    CSndVolumeBttn RateSlider;                 // control 57778
    CComboMRU WesternVoiceList;                // 1149
    CComboMRU ChineseVoiceList;                // 1150
    CComboMRU ContentList;                     // 1151, "Speech Content"
    int InitialVolume = 0;                     // SoundPlayVol when the dialog opened
    int InitialRate = 0;                       // SoundPlaySpeed when the dialog opened
    AString InitialVoiceEng, InitialVoiceChn;  // the voice names when the dialog opened
    int SyncWord = 0;                          // check box 1229
    int ContextReadings = 0;                   // check box 1230

    // Pause between the test's two phrases.
    static constexpr DWORD kTestGapMs = 1600;

protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateValueLabels();
    void FillVoices(CComboMRU& list, const AStringArray& names, const AString& current);
    // The selected entries into SoundVoiceEng and SoundVoiceChn; an empty list keeps the name.
    void StoreSelectedVoices();
    void Test();

    SpeechEngine& Engine;
    AuxiliaryVoice& Aux;
};

// The toolbar's runner of the dialog (SetToolbarDialog).
void RunSpeechOptions(HWND owner);
