// The viewer state: everything the main window owns for the whole run, and the
// routines that act on it. The window (TMainForm) and quovil-cli both drive one
// Viewer; it reaches them only through ViewerHost.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "card/source.h"
#include "decode/frame_cache.h"
#include "decode/frame_info.h"
#include "decode/picture.h"
#include "platform/host.h"
#include "platform/serial_port.h"
#include "platform/sound.h"
#include "viewer/camera_setting.h"
#include "viewer/selection.h"
#include "viewer/session_workers.h"
#include "viewer/timeline.h"
#include "platform/translate.h"

namespace quovil {

class MapProcess;
namespace test {
struct ViewerProbe;
}

// Check marks and visibility of the actions the core switches.
struct ActionState {
  // Source mode (exactly one checked): the card reader, an archive file, a
  // card image viewed as the card.
  bool OpenCARD = true, OpenFile = false, OpenImage = false;
  // Kind filters of the left tool bar.
  bool Hand = true, External = true, Motion = true, Timer = true, Sound = true;
  bool Taget = false, Arhiv = false;
  bool SoundVisible = false, TagetVisible = false, ArhivVisible = false, ViewAllSeparatorVisible = false;
  // Radio group: Foto, Arhiv (above), Channel1, Channel2.
  bool Foto = false, Channel1 = true, Channel2 = false;
  bool Refresh = false;
  bool DeleteAllVisible = true;
  bool MAP = false;
  bool PlayBtnDown = false;
  // Picture-area menu: VIEW1..VIEW4 checks (index 1..4), N1 "Настройка параметров".
  std::array<bool, 5> View{false, false, true, false, false};
  bool N1 = false;
};

// Per-camera display bookkeeping of the frame display.
struct DisplayState {
  int ViewLayout = 0;  // 0..7; +4 swaps the cameras
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  int AreaWidth = 0, AreaHeight = 0;  // size of the picture box
  std::array<std::string, 2> CameraTimeText;
  std::array<int, 2> ShownPos{-1, -1};
  std::array<int, 2> ShownIndex{-1, -1};
  std::array<int, 2> NextSoundPos{-1, -1};
  std::array<double, 2> CameraFps{0, 0};
  std::array<int, 2> SecondFrameCount{0, 0};
  std::array<std::string, 2> LastSecondText;
  std::string DatePanelText;
  // Forgets what each camera showed (its time stamp, frame rate and
  // position), as its picture goes with the source it came from.
  void ForgetCameras() {
    CameraTimeText = {};
    ShownPos = {-1, -1};
    ShownIndex = {-1, -1};
    NextSoundPos = {-1, -1};
    CameraFps = {0, 0};
    SecondFrameCount = {0, 0};
    LastSecondText = {};
  }
};

// The sound path shared with the audio thread: fixed buffers, two locks.
inline constexpr int kSoundRingBytes = 45056;
struct SoundRings {
  std::array<std::array<uint8_t, kSoundBlockBytes>, 2> NextSoundBlock{};
  std::array<std::array<uint8_t, kSoundRingBytes>, 2> SoundRing{};
  std::array<int, 2> RingRead{0, 0};
  std::array<int, 2> RingWrite{0, 0};
  std::array<bool, 2> NeedFrame{true, true};
  std::mutex SoundRingLock;
  std::mutex SoundFlagLock;  // taken before SoundRingLock, never both on the audio thread
  // The user value each camera's stream procedure receives.
  struct StreamUser {
    SoundRings* rings = nullptr;
    int camera = 0;
  };
  std::array<StreamUser, 2> Users{};
};

struct PlaybackState {
  int PlaySpeed = 0;
  bool PlayTimerEnabled = false;
  int PlayTimerInterval = 100;
  std::array<SoundHandle, 2> SoundStream{0, 0};
  bool Muted = false;
};

struct TimelineState {
  std::array<std::array<int32_t, 1440>, 2> DayMap;
  unsigned DayMapVersion = 0;  // bumped by every BuildDayMap (the window redraws its strips)
  int ClickCamera = 0;
  bool TimelineDragging = false;
  int Tag = 0;  // minute under the pointer
  // The part of the day shown: the whole day until zoomed, and again for
  // another day or another source.
  TimeSpan Span;
  int MapDay = -1;  // year * 10000 + month * 100 + day of DayMap, -1 before the first
  TimelineState() {
    for (auto& row : DayMap) row.fill(-1);
  }
};

struct GpsOutputState {
  bool MapTimerEnabled = false;
  int MapLaunchResult = 0;  // above 32: the viewer started the map program
};

// The kind filters' check marks as a whole.
struct KindChoice {
  bool Hand = true, External = true, Motion = true, Timer = true, Sound = true;
  bool Taget = false;
};

class Viewer {
 public:
  explicit Viewer(ViewerHost& host);
  ~Viewer();
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  ViewerHost& host;

  // ---- what the window and the commands read ----
  // The session: the open source (card or archive file), its card values and
  // catalogues. Built by the opening routines, read-only until it is closed.
  const Source& source() const { return src_; }
  const Selection& selection() const { return sel_; }
  const DisplayState& disp() const { return disp_; }
  const FrameCache& cache() const { return cache_; }
  const FrameInfoState& info() const { return info_; }
  const std::array<Picture8, 2>& bitmaps() const { return bitmaps_; }
  const ActionState& actions() const { return actions_; }
  const SoundRings& sound() const { return sound_; }
  const PlaybackState& play() const { return play_; }
  const TimelineState& timeline() const { return timeline_; }
  const GpsOutputState& gps() const { return gps_; }
  const std::array<CameraSetting, 2>& cameraSettings() const { return cameraSettings_; }
  const std::string& fragStart() const { return fragStart_; }
  const std::string& fragEnd() const { return fragEnd_; }
  const std::array<std::string, 5>& statusPanels() const { return statusPanels_; }
  const std::string& caption() const { return caption_; }
  // What the picture area says while it shows no record.
  const std::string& noSourceText() const { return noSourceText_; }

  // Platform layers; any may be null (then the feature is silent).
  SoundSystem* soundSystem = nullptr;
  SerialPort* COMM1 = nullptr;
  MapProcess* mapProcess = nullptr;  // watches the map program the viewer started
  std::unique_ptr<DriveEnumerator> drives;

  // ---- card discovery and access ----
  bool OpenCard();        // the drive scan
  void CloseCard();
  bool CardStillPresent();  // the presence check of the timer
  void CheckTimerTimer();
  // The card watch's opening of a card: the drive scan, and a card found is
  // shown as a newly inserted one is (camera 1, the whole selection marked).
  // False when no card was found; noSourceText() then says why.
  bool FindCard();
  void ActionOpenCARDExecute();
  // A card image file (a copy of a whole card, any format) viewed as the
  // card: card mode, read-only, its presence watched like a card's. False,
  // with the reason shown, when the file is no card image; the source open
  // before stays then.
  bool OpenCardImage(const std::string& path);
  // "Открыть образ карты…": the image chosen through the host.
  void ActionOpenImageExecute();
  // The card image viewed as the card; empty in every other mode.
  const std::string& cardImage() const { return cardImage_; }
  enum class ClearResult { Nothing, Declined, Cleared, WriteFailed };
  static constexpr const char* kClearFailedText = QUOVIL_TR_NOOP("Viewer", "Возникла ошибка при очистки карты.");
  ClearResult ActionDeleteAllExecute();
  // Closes whatever source is open after its reading failed half-way; the
  // picture area then says why.
  void CloseSource(const std::string& why);
  // Drops everything loaded from a source (shared by CloseCard and CloseArchive).
  void DropSourceData();

  // ---- work on threads of its own ----
  // Starts work that reads the open source (through source(), at absolute
  // offsets) on a worker thread. Closing the source, opening another or
  // clearing the card asks it to stop and waits for it first.
  void StartSessionWorker(SessionWorkers::Work work) { workers_.Start(std::move(work)); }
  void StopSessionWorkers() { workers_.StopAll(); }
  int RunningSessionWorkers() const { return workers_.Running(); }

  // ---- picture building ----
  bool PrepareBitmaps();
  // Builds index's picture into pic and reads its frame information (unless
  // readInfo is false); false when a read failed (the picture then keeps its
  // previous content).
  bool BuildPicture(int index, Picture8& pic, bool readInfo = true);
  // Forgets the sensor and GPS state of the records shown so far.
  void ForgetFrameInfo() { info_ = FrameInfoState{}; }
  // No record is shown any more: the date and the sensor readings go too.
  void ForgetShownRecord();

  // ---- selection ----
  uint8_t KindMask() const;
  void RebuildSelection();
  void ActionRefreshExecute() { RebuildSelection(); }
  void ActionFotoExecute();
  enum class Filter { Hand, External, Motion, Timer, Sound, Taget, Arhiv };
  void ActionFiltrChange(Filter which);
  // Sets the kind filters' check marks; the selection follows at its next rebuild.
  void SetKindFilters(const KindChoice& k);
  void ActionViewAllExecute();
  void ActionChannel1Execute();
  void ActionChannel2Execute();
  // Camera 0 or 1 becomes the active one, as its camera mark does.
  void SetActiveCamera(int cam) { cam == 1 ? ActionChannel2Execute() : ActionChannel1Execute(); }
  int32_t IndexAtPos(int32_t p) const { return sel_.IndexAtPos(p); }
  int32_t PosOfIndex(int32_t i) const { return sel_.PosOfIndex(i); }
  int32_t NextPosOfCamera(int32_t p, int cam) const { return sel_.NextPosOfCamera(src_, p, cam); }
  int32_t PrevPosOfCamera(int32_t p, int cam) const { return sel_.PrevPosOfCamera(src_, p, cam); }

  // ---- frame display ----
  void ShowPosition(int32_t pos);
  // Shows the record at pos as ShowPosition does, and first the other
  // camera's record nearest in time: its first record at or after pos within
  // the same minute, else its last one before pos within that minute, else
  // a blank picture with no texts. The other camera's frame information is
  // not read: the sensor and GPS state are those of the record at pos.
  void ShowPositionWithCompanion(int32_t pos);
  // The other camera's record ShowPositionWithCompanion shows; -1: none.
  int32_t CompanionPos(int32_t pos) const;
  // Fills the read-ahead sound block of cam with its record after pos.
  void ReadNextSound(int32_t pos, int cam);
  bool SingleCameraLayout() const { return disp_.ViewLayout == 1 || disp_.ViewLayout == 5; }
  void VIEW_Click(int tag);
  void VIEW_SWAP_Click();
  void ImageBoxDblClick();
  void ImageBoxMouseDown(int x, int y);
  // The picture box's size; each camera's picture lies at CameraRect (empty
  // when the layout does not show it).
  void SetImageArea(int w, int h);
  DisplayState::Rect CameraRect(int cam) const;
  void BrightnessBarChange(int v);
  void SetCameraSettings(const std::array<CameraSetting, 2>& settings);
  // The picture area's menu item "Настройка параметров" (the settings panel).
  void ToggleSettingsPanel() { actions_.N1 = !actions_.N1; }
  void ContrastBarChange(int v);

  // ---- playback and sound ----
  void PlayBtnClick();
  void StopBtnClick();
  void SpeedUpClick();
  void SpeedDownClick();
  void PlayTimerTimer();
  void VolumeBarChange(int v);
  void MuteLabelClick();
  bool FormMouseWheel(bool up);  // true when handled
  // Keys: the first or last record of the selection (in one window: of the
  // active camera), and the first record of the previous or next minute that
  // holds records of the active camera. Both cameras follow. False when
  // there is nowhere to go.
  bool ShowSelectionEnd(bool last);
  bool ShowNeighbourMinute(bool forward);
  // Ctrl+Right / Ctrl+Left: the next or previous record taken for kind
  // (either camera) in the selection, with its companion; false when there is none.
  bool ShowNeighbourOfKind(RecordKind kind, bool forward);
  int FeedSound(int cam);
  int FeedSilence(int cam);
  static uint32_t StreamProcedure(SoundHandle handle, void* buffer, uint32_t length, void* user);
  // Version check, init, the two streams. EndProgram: the message was shown and
  // the program ends; NoStreams: start-up stops here but the window stays.
  enum class SoundInit { Ok, EndProgram, NoStreams };
  SoundInit InitSound();
  void FreeSound();

  // ---- time scale ----
  void BuildDayMap(int d, int m, int y);
  void UseBoxMouseMove(int x, int y, int w, int h);
  void UseBoxMouseDown();
  void UseBoxMouseUp();
  void UseBoxClick();
  void UseBoxDblClick();
  // A click on the day's telemetry at second of the day: the time scale's
  // click at that minute, for the active camera.
  void TimeScaleJump(int second);
  // Ctrl + wheel over the scale: steps > 0 narrow the shown span, steps < 0
  // widen it, around the time under column x of the box w wide.
  void UseBoxZoom(int steps, int x, int w);
  // The keys + and -: the same around the shown record's time.
  void UseBoxZoomAtMark(int steps);

  // ---- date choice and fragment marks ----
  int32_t PosOfTimeText(const std::string& text, int camera) const;
  void GoToTimeText(const std::string& text);
  void ActionSelectStartExecute();
  void ActionSelectEndExecute();
  void ActionSelectAllExecute();
  // Both marks as texts given by the user; no record need match them.
  void SetMarks(const std::string& start, const std::string& end) {
    fragStart_ = start;
    fragEnd_ = end;
  }
  void MoveToStart() { GoToTimeText(fragStart_); }
  void MoveToEnd() { GoToTimeText(fragEnd_); }
  // First position of the given day (single-camera layouts: of ActiveCamera), or -1.
  int32_t FirstPosOfDay(int d, int m, int y) const;
  // The calendar's choice of a day (four-digit year): both pictures blank,
  // then the day's first record; false when the day has none.
  bool SelectDate(int day, int month, int year);
  // The fragment between the two marks as positions of camera's records (-1:
  // either camera), first <= last: the earlier mark's first record to the
  // later mark's last record of its second. False when a mark matches nothing.
  bool FragmentRange(int camera, int32_t& first, int32_t& last) const;
  // The records of the marked fragment, the one list the archive save, the
  // AVI export and the route take theirs from.
  struct Fragment {
    enum class Status { Ok, NoMarks, NoRecords };
    Status status = Status::NoMarks;
    int32_t first = 0, last = -1;   // positions of the fragment (either camera)
    std::vector<int32_t> indices;   // catalogue indices of the camera's records, in selection order
    // The message of a refusal: a mark matches nothing, or the camera has no record.
    std::string Message() const;
  };
  // camera -1: the records of both cameras.
  Fragment MarkedFragment(int camera) const;

  // ---- status bar ----
  void UpdateStatusBar();

  // ---- archive files ----
  void OpenArchive(const std::string& name);
  void CloseArchive();
  void ActionOpenFileExecute();

  // ---- journal jump ----
  void GoToJournalTime(int day, int month, int year, int hour, int minute);

  // ---- GPS output ----
  void ResetGpsOutput();
  void MapTimerTimer();
  // The map program: above 32 a launch the viewer watches, 0 none.
  void SetMapLaunch(int result);
  // The GPS output to the map program on or off (the MAP check, its timer).
  void SetMapOutput(bool on);

  // Message box through the host.
  MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons = MsgButtons::Ok) {
    return host.ShowMessageBox(text, kind, buttons);
  }
  void Repaint(unsigned flags) { host.Repaint(flags); }

 private:
  friend struct test::ViewerProbe;

  // Playback steps.
  void SetPlayTimer(bool enabled, int interval);
  void ApplySpeed(bool stopStreams);
  bool StepCamera(int cam, bool paced);
  // Layouts 1 and 5 always show their own camera: it becomes the active one.
  void FollowLayoutCamera();
  // The picture, texts, frame rate and read-ahead sound of one camera's
  // record; a companion gets neither frame information nor read-ahead
  // sound. False when its picture could not be built.
  bool ShowCameraRecord(int32_t pos, int32_t index, int cam, bool companion);
  void BlankCamera(int cam);
  // The scan's candidates: the card image viewed as the card, or the drives.
  DriveEnumerator* ScannedDrives() const { return imageDrive_ ? imageDrive_.get() : drives.get(); }
  void ForgetCardImage();

  Source src_;
  Selection sel_;
  FrameCache cache_;
  FrameInfoState info_;
  std::array<Picture8, 2> bitmaps_;  // freed (Empty) while no source is open
  ActionState actions_;
  DisplayState disp_;
  SoundRings sound_;
  PlaybackState play_;
  TimelineState timeline_;
  GpsOutputState gps_;
  std::array<CameraSetting, 2> cameraSettings_;
  std::string fragStart_, fragEnd_;
  std::array<std::string, 5> statusPanels_;
  std::string caption_;
  std::string noSourceText_ = Tr("Viewer", "Карта памяти отсутствует!");
  std::string shownProblem_;  // the drive scan's problem the picture area shows
  // A card image viewed as the card: the scan looks at it alone.
  std::string cardImage_;
  std::unique_ptr<DriveEnumerator> imageDrive_;
  // Last, so that its workers are stopped before anything they read goes.
  SessionWorkers workers_;
};

// What a file named from outside the window (the command line, a file
// dropped on it) holds, by its extension and else by its first sector: a
// journal (".klf"), an archive (".kif", and whatever is no card image: its
// opening then says what is wrong) or a card image.
enum class PathKind { Archive, Journal, CardImage };
PathKind KindOfPath(const std::string& path);

}  // namespace quovil
