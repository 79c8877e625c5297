<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>Card</name>
    <message>
        <source>Испорчен заголовок карты памяти!</source>
        <translation>The memory card header is damaged!</translation>
    </message>
    <message>
        <source>Не поддерживаемая версия!</source>
        <translation>Unsupported version!</translation>
    </message>
    <message>
        <source>Копии таблиц состояния отличаются!<byte value="xd"/>Хотите исползовать первую копию?<byte value="xd"/>Ответьте нет, если второую.</source>
        <translation>The copies of the state tables differ!<byte value="xd"/>Do you want to use the first copy?<byte value="xd"/>Answer No for the second one.</translation>
    </message>
    <message>
        <source>ручная запись</source>
        <translation>manual recording</translation>
    </message>
    <message>
        <source>по звонку</source>
        <translation>by external trigger</translation>
    </message>
    <message>
        <source>по движению</source>
        <translation>by motion</translation>
    </message>
    <message>
        <source>по таймеру</source>
        <translation>by timer</translation>
    </message>
    <message>
        <source>по звуку</source>
        <translation>by sound</translation>
    </message>
    <message>
        <source>ошибка записи</source>
        <translation>recording error</translation>
    </message>
    <message>
        <source>Ошибка часов в элементе %d</source>
        <translation>Clock error in entry %d</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>Карта памяти отсутствует!</source>
        <translation>No memory card!</translation>
    </message>
    <message>
        <source>Отмеченный фрагмент не найден в выборке!</source>
        <translation>The marked fragment is not in the selection!</translation>
    </message>
    <message>
        <source>Ошибка открытия файла!</source>
        <translation>Error opening the file!</translation>
    </message>
</context>
<context>
    <name>Decode</name>
    <message>
        <source>Uвх   = %4.1f В</source>
        <translation>Uin   = %4.1f V</translation>
    </message>
    <message>
        <source>Uакб = %4.1f В</source>
        <translation>Ubat = %4.1f V</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>Выбор камер для сохранения</source>
        <translation>Cameras to save</translation>
    </message>
    <message>
        <source>Данные с каких
камер сохранять?</source>
        <translation>Save the data of
which cameras?</translation>
    </message>
    <message>
        <source>Камера 1</source>
        <translation>Camera 1</translation>
    </message>
    <message>
        <source>Сохранить видео только с камеры 1</source>
        <translation>Save the video of camera 1 only</translation>
    </message>
    <message>
        <source>Камера 2</source>
        <translation>Camera 2</translation>
    </message>
    <message>
        <source>Сохранить видео только с камеры 2</source>
        <translation>Save the video of camera 2 only</translation>
    </message>
    <message>
        <source>Обе камеры</source>
        <translation>Both cameras</translation>
    </message>
    <message>
        <source>Сохранить видео с обеих камер в одном файле</source>
        <translation>Save the video of both cameras in one file</translation>
    </message>
    <message>
        <source>Запись видео в архив на диске</source>
        <translation>Writing the video to an archive on disk</translation>
    </message>
    <message>
        <source>Дождитесь завершения операции или нажмите Cancel</source>
        <translation>Wait for the operation to finish or press Cancel</translation>
    </message>
    <message>
        <source>Ошибка записи файла!</source>
        <translation>Error writing the file!</translation>
    </message>
    <message>
        <source>Ошибка чтения карты памяти!</source>
        <translation>Error reading the memory card!</translation>
    </message>
    <message>
        <source>Записи этого источника слишком велики для архивного файла!</source>
        <translation>The records of this source are too large for an archive file!</translation>
    </message>
    <message>
        <source>Ошибка открытия файла!</source>
        <translation>Error opening the file!</translation>
    </message>
    <message>
        <source>Сохранение прервано пользователем!</source>
        <translation>Saving cancelled by the user!</translation>
    </message>
    <message>
        <source>Файл создан успешно!</source>
        <translation>File created successfully!</translation>
    </message>
    <message>
        <source>Возникла ошибка при записи AVI файла!</source>
        <translation>An error occurred while writing the AVI file!</translation>
    </message>
    <message>
        <source>Частота звука %d Гц слишком мала для записи AVI файла!</source>
        <translation>The sound rate of %d Hz is too low for an AVI file!</translation>
    </message>
    <message>
        <source>Запись видео в AVI файл</source>
        <translation>Writing the video to an AVI file</translation>
    </message>
    <message>
        <source>Карта памяти отсутствует!</source>
        <translation>No memory card!</translation>
    </message>
    <message>
        <source>Сохранение образа карты</source>
        <translation>Saving the card image</translation>
    </message>
    <message>
        <source>Чтение карты памяти</source>
        <translation>Reading the memory card</translation>
    </message>
    <message>
        <source>Образ карты сохранён: %llu байт.<byte value="xd"/>SHA-256: %s<byte value="xd"/>MD5: %s</source>
        <translation>Card image saved: %llu bytes.<byte value="xd"/>SHA-256: %s<byte value="xd"/>MD5: %s</translation>
    </message>
    <message>
        <source><byte value="xd"/>Не прочитано секторов: %llu (записаны нулями, список в файле .map)</source>
        <translation><byte value="xd"/>Unreadable sectors: %llu (written as zeros, listed in the .map file)</translation>
    </message>
    <message>
        <source>Сохранение MP4</source>
        <translation>Saving MP4</translation>
    </message>
    <message>
        <source>Сохранение видео фрагмента в MP4 файл</source>
        <translation>Saving the video fragment to an MP4 file</translation>
    </message>
    <message>
        <source>QUOVIL - Печать фотографии</source>
        <translation>QUOVIL - Photo printing</translation>
    </message>
    <message>
        <source>Возникла проблема при печати документа!</source>
        <translation>A problem occurred while printing the document!</translation>
    </message>
</context>
<context>
    <name>Gps</name>
    <message>
        <source>Сохранить маршрут в GPX…</source>
        <translation>Save the route as GPX…</translation>
    </message>
    <message>
        <source>Маршрут сохранен: %1 (точек: %2)</source>
        <translation>Route saved: %1 (points: %2)</translation>
    </message>
    <message>
        <source>Ошибка записи файла %s</source>
        <translation>Error writing the file %s</translation>
    </message>
    <message>
        <source>При запуске приложения &quot;%s&quot;<byte value="xd"/>произошла ошибка!<byte value="xd"/><byte value="xd"/>Попробуйте переустановить приложение.</source>
        <translation>An error occurred while starting<byte value="xd"/>the program &quot;%s&quot;!<byte value="xd"/><byte value="xd"/>Try reinstalling the program.</translation>
    </message>
    <message>
        <source>Не могу открыть порт %s для передачи GPS данных!<byte value="xd"/>Для работы с картой необходим драйвер &quot;COM0COM&quot;.<byte value="xd"/><byte value="xd"/>Попробуйте переустановить приложение.</source>
        <translation>Cannot open the port %s for the GPS data!<byte value="xd"/>The map needs the &quot;COM0COM&quot; driver.<byte value="xd"/><byte value="xd"/>Try reinstalling the program.</translation>
    </message>
    <message>
        <source><byte value="xd"/>Дальнейшая работа невозможна.<byte value="xd"/>Обратитесь в службу поддержки</source>
        <translation><byte value="xd"/>Work cannot continue.<byte value="xd"/>Please contact support</translation>
    </message>
    <message>
        <source>При установке драйвера возникла ошибка!</source>
        <translation>An error occurred while installing the driver!</translation>
    </message>
    <message>
        <source>В системе не найден свободный порт!</source>
        <translation>No free port was found in the system!</translation>
    </message>
    <message>
        <source>Ошибка настройки портов COM0COM!</source>
        <translation>Error setting up the COM0COM ports!</translation>
    </message>
    <message>
        <source>Настройка прошла успешно!<byte value="xd"/>Используйте порт %s для настройки GPS.</source>
        <translation>Setup completed successfully!<byte value="xd"/>Use the port %s for the GPS settings.</translation>
    </message>
    <message>
        <source>%g км</source>
        <translation>%g km</translation>
    </message>
    <message>
        <source>%g м</source>
        <translation>%g m</translation>
    </message>
    <message>
        <source>Нет координат за этот день</source>
        <translation>No positions for this day</translation>
    </message>
    <message>
        <source>   %1 км/ч</source>
        <translation>   %1 km/h</translation>
    </message>
    <message>
        <source>Весь маршрут</source>
        <translation>Whole route</translation>
    </message>
    <message>
        <source>Карта</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Папка с плитками…</source>
        <translation>Tile folder…</translation>
    </message>
    <message>
        <source>Файл MBTiles…</source>
        <translation>MBTiles file…</translation>
    </message>
    <message>
        <source>Без карты</source>
        <translation>No map</translation>
    </message>
    <message>
        <source>Файл MBTiles</source>
        <translation>MBTiles file</translation>
    </message>
    <message>
        <source>Карты MBTiles (*.mbtiles)</source>
        <translation>MBTiles maps (*.mbtiles)</translation>
    </message>
    <message>
        <source>Папка с плитками z/x/y.png</source>
        <translation>Folder of z/x/y.png tiles</translation>
    </message>
    <message>
        <source>Не удалось прочитать карту: %1</source>
        <translation>Could not read the map: %1</translation>
    </message>
    <message>
        <source>Карта: %1</source>
        <translation>Map: %1</translation>
    </message>
    <message>
        <source>Установка и настройка программы обзора карты и GPS данных</source>
        <translation>Installing and setting up the map and GPS data viewer</translation>
    </message>
    <message>
        <source>Для отображения GPS данных на карте необходимо </source>
        <translation>To show the GPS data on a map, </translation>
    </message>
    <message>
        <source>выполнить следущие пункты по настройке системы:</source>
        <translation>complete the following setup steps:</translation>
    </message>
    <message>
        <source> Шаг 1 </source>
        <translation> Step 1 </translation>
    </message>
    <message>
        <source>Установка драйвера COM0COM</source>
        <translation>Installing the COM0COM driver</translation>
    </message>
    <message>
        <source>COM0COM используется для передачи GPS данных</source>
        <translation>COM0COM carries the GPS data</translation>
    </message>
    <message>
        <source>Внимание! При установке  Windows  попросит  произвести  поиск драйвера.
Ответьте &quot;Нет не в этот раз&quot; и выберите автоматическую установку.
Если Windows сообщит, что имя порта уже занято в базе COM портов:</source>
        <translation>Note! During the installation Windows will ask to search for the driver.
Answer &quot;No, not this time&quot; and choose the automatic installation.
If Windows reports that the port name is already taken in the COM port database:</translation>
    </message>
    <message>
        <source>нажмите &quot;Продолжить&quot;.</source>
        <translation>press &quot;Continue&quot;.</translation>
    </message>
    <message>
        <source> Шаг 2 </source>
        <translation> Step 2 </translation>
    </message>
    <message>
        <source>Настройка портов для передачи данных (GPS1 И COM)</source>
        <translation>Setting up the data ports (GPS1 AND COM)</translation>
    </message>
    <message>
        <source> Шаг 3 </source>
        <translation> Step 3 </translation>
    </message>
    <message>
        <source>Выбор программы просмотра карты и GPS данных</source>
        <translation>Choosing the map and GPS data viewer</translation>
    </message>
    <message>
        <source>Вам будет предложено выбрать программу для отображения карты  и GPS</source>
        <translation>You will be asked to choose a program that shows the map and the GPS</translation>
    </message>
    <message>
        <source>данных. Если у Вас нет такй программы, то можно воспользоваться бесплат-</source>
        <translation>data. If you do not have one, you can use the free</translation>
    </message>
    <message>
        <source>ной программой SAS.Planet, последнюю версию которой можно скачать тут:</source>
        <translation>SAS.Planet program; its latest version can be downloaded here:</translation>
    </message>
    <message>
        <source> Шаг 4 </source>
        <translation> Step 4 </translation>
    </message>
    <message>
        <source>Настройка программы для работы с GPS портом</source>
        <translation>Setting up the program for the GPS port</translation>
    </message>
    <message>
        <source>Для отображения данных GPS на карте необходимо настроить COM порт для</source>
        <translation>To show the GPS data on the map, set up the COM port for</translation>
    </message>
    <message>
        <source>приема данных. Если Вы используете программу SAS.Planet, то данные нас-</source>
        <translation>receiving data. If you use SAS.Planet, the settings</translation>
    </message>
    <message>
        <source>тройки будут сделаны автоматически. Иначе, используйте порт:</source>
        <translation>are made automatically. Otherwise, use the port:</translation>
    </message>
    <message>
        <source>Настроить</source>
        <translation>Set up</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Выберите программу для отображения карты и GPS данных</source>
        <translation>Choose the program that shows the map and the GPS data</translation>
    </message>
    <message>
        <source>Иполняемые файлы  (*.exe)</source>
        <translation>Programs  (*.exe)</translation>
    </message>
    <message>
        <source>Запуск</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Телеметрия</source>
        <translation>Telemetry</translation>
    </message>
    <message>
        <source>Чтение датчиков и GPS…</source>
        <translation>Reading the sensors and GPS…</translation>
    </message>
    <message>
        <source>   Uвх %1 В</source>
        <translation>   Uin %1 V</translation>
    </message>
    <message>
        <source>   Uакб %1 В</source>
        <translation>   Ubat %1 V</translation>
    </message>
    <message>
        <source>км/ч</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>Uвх</source>
        <translation>Uin</translation>
    </message>
    <message>
        <source>Uакб</source>
        <translation>Ubat</translation>
    </message>
    <message>
        <source>двигатель</source>
        <translation>engine</translation>
    </message>
    <message>
        <source>Ctrl+← / Ctrl+→: к записи</source>
        <translation>Ctrl+← / Ctrl+→: to a record</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <source>Плохой АКБ</source>
        <translation>Bad battery</translation>
    </message>
    <message>
        <source>АКБ в норме</source>
        <translation>Battery normal</translation>
    </message>
    <message>
        <source>АКБ разряжен</source>
        <translation>Battery discharged</translation>
    </message>
    <message>
        <source>Пропало входное напряжение</source>
        <translation>Input voltage lost</translation>
    </message>
    <message>
        <source>Входное напряжение есть</source>
        <translation>Input voltage present</translation>
    </message>
    <message>
        <source>Двигатель включен</source>
        <translation>Engine on</translation>
    </message>
    <message>
        <source>Двигатель выключен</source>
        <translation>Engine off</translation>
    </message>
    <message>
        <source>Тревога</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Тревога снята</source>
        <translation>Alarm cleared</translation>
    </message>
    <message>
        <source>Преобразователь включен</source>
        <translation>Converter on</translation>
    </message>
    <message>
        <source>Преобразователь выключен</source>
        <translation>Converter off</translation>
    </message>
    <message>
        <source>GPS модуль не установлен</source>
        <translation>GPS module not fitted</translation>
    </message>
    <message>
        <source>Появилось видео %d</source>
        <translation>Video %d appeared</translation>
    </message>
    <message>
        <source>Пропало видео %d</source>
        <translation>Video %d lost</translation>
    </message>
    <message>
        <source>%s не отвечает</source>
        <translation>%s not responding</translation>
    </message>
    <message>
        <source>%s подключен</source>
        <translation>%s connected</translation>
    </message>
    <message>
        <source>Подача питания</source>
        <translation>Power on</translation>
    </message>
    <message>
        <source>Пропало питание</source>
        <translation>Power lost</translation>
    </message>
    <message>
        <source>Выключение устройства через UPS</source>
        <translation>Shutdown through the UPS</translation>
    </message>
    <message>
        <source>Дежурный режим</source>
        <translation>Standby mode</translation>
    </message>
    <message>
        <source>Режим записи</source>
        <translation>Recording mode</translation>
    </message>
    <message>
        <source>Ручной режим записи</source>
        <translation>Manual recording mode</translation>
    </message>
    <message>
        <source>Режим извлечения карты по ESC</source>
        <translation>Card removal mode by ESC</translation>
    </message>
    <message>
        <source>Вход в меню</source>
        <translation>Menu entered</translation>
    </message>
    <message>
        <source>Просмотр карты памяти</source>
        <translation>Memory card view</translation>
    </message>
    <message>
        <source>Карта установлена</source>
        <translation>Card inserted</translation>
    </message>
    <message>
        <source>Карта извлечена</source>
        <translation>Card removed</translation>
    </message>
    <message>
        <source>Форматирование карты</source>
        <translation>Card formatting</translation>
    </message>
    <message>
        <source>Удаление записей с карты</source>
        <translation>Records deleted from the card</translation>
    </message>
    <message>
        <source>Карта памяти заполнена</source>
        <translation>Memory card full</translation>
    </message>
    <message>
        <source>Часы записаны</source>
        <translation>Clock set</translation>
    </message>
    <message>
        <source>Настройки сброшены</source>
        <translation>Settings reset</translation>
    </message>
    <message>
        <source>Ошибка микросхемы часов</source>
        <translation>Clock chip error</translation>
    </message>
    <message>
        <source>Показания часов неправильны</source>
        <translation>Clock reading wrong</translation>
    </message>
    <message>
        <source>Ошибка параметров в EEPROM</source>
        <translation>Parameter error in the EEPROM</translation>
    </message>
    <message>
        <source>Ошибка FLASH данных (испорчен заголовок)</source>
        <translation>FLASH data error (damaged header)</translation>
    </message>
    <message>
        <source>Ошибка FLASH данных (испорчено содержимое)</source>
        <translation>FLASH data error (damaged contents)</translation>
    </message>
    <message>
        <source>Ошибка FLASH данных (не совпадает версия MEDIA)</source>
        <translation>FLASH data error (MEDIA version mismatch)</translation>
    </message>
    <message>
        <source>Ошибка FLASH данных (не совпадает версия CARD_IMAGE)</source>
        <translation>FLASH data error (CARD_IMAGE version mismatch)</translation>
    </message>
    <message>
        <source>Ошибка карты памяти</source>
        <translation>Memory card error</translation>
    </message>
    <message>
        <source>Изменение видео:</source>
        <translation>Video change:</translation>
    </message>
    <message>
        <source>Изменение связи:</source>
        <translation>Link change:</translation>
    </message>
    <message>
        <source>Изменение питания:</source>
        <translation>Power change:</translation>
    </message>
    <message>
        <source>Файл журнала (*.klf)</source>
        <translation>Journal file (*.klf)</translation>
    </message>
    <message>
        <source> Чтение журнала</source>
        <translation> Reading the journal</translation>
    </message>
    <message>
        <source>Идет чтение журнала ...</source>
        <translation>Reading the journal ...</translation>
    </message>
    <message>
        <source>Журнал событий и ошибок</source>
        <translation>Event and error journal</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Считать журнал с карты памяти</source>
        <translation>Read the journal from the memory card</translation>
    </message>
    <message>
        <source>Считать журнал из файла</source>
        <translation>Read the journal from a file</translation>
    </message>
    <message>
        <source>Сохранить журнал в файле</source>
        <translation>Save the journal to a file</translation>
    </message>
    <message>
        <source>Сохранить журнал в CSV файле</source>
        <translation>Save the journal to a CSV file</translation>
    </message>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Событие</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Ошибка открытия файла!</source>
        <translation>Error opening the file!</translation>
    </message>
    <message>
        <source>Ошибка записи файла!</source>
        <translation>Error writing the file!</translation>
    </message>
    <message>
        <source>журнал пуст</source>
        <translation>journal empty</translation>
    </message>
    <message>
        <source> %d записей</source>
        <translation> %d records</translation>
    </message>
    <message>
        <source> Версия ПО: %s от %s</source>
        <translation> Firmware: %s of %s</translation>
    </message>
    <message>
        <source> Версия железа: %s</source>
        <translation> Hardware: %s</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Карта SD</source>
        <translation>SD card</translation>
    </message>
    <message>
        <source>Просмотр карты памяти</source>
        <translation>Memory card view</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Просмотр из файла</source>
        <translation>View from a file</translation>
    </message>
    <message>
        <source>Открыть образ карты…</source>
        <translation>Open card image…</translation>
    </message>
    <message>
        <source>Просмотр образа карты памяти из файла</source>
        <translation>View a memory card image from a file</translation>
    </message>
    <message>
        <source>Образ</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>На диск</source>
        <translation>To disk</translation>
    </message>
    <message>
        <source>Сохранить выделенный фрагмент на диске</source>
        <translation>Save the selected fragment to disk</translation>
    </message>
    <message>
        <source>Сохранить фотографию с активной камеры в BMP файл</source>
        <translation>Save the photo of the active camera to a BMP file</translation>
    </message>
    <message>
        <source>Сохранить фрагмент с активной камеры в AVI файл</source>
        <translation>Save the fragment of the active camera to an AVI file</translation>
    </message>
    <message>
        <source>Сохранить фрагмент одной или обеих камер в MP4 файл (H.264)</source>
        <translation>Save the fragment of one or both cameras to an MP4 file (H.264)</translation>
    </message>
    <message>
        <source>Печать</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Распечатать фотографию</source>
        <translation>Print the photo</translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Отметить начало фрагмента для сохранения</source>
        <translation>Mark the start of the fragment to save</translation>
    </message>
    <message>
        <source>Конец</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Отметить окончание фрагмента для сохранения</source>
        <translation>Mark the end of the fragment to save</translation>
    </message>
    <message>
        <source>Все</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Выбрать все записи</source>
        <translation>Select all records</translation>
    </message>
    <message>
        <source>Очистить карту</source>
        <translation>Clear card</translation>
    </message>
    <message>
        <source>Удалить все записи с карты памяти</source>
        <translation>Delete all records from the memory card</translation>
    </message>
    <message>
        <source>Закрыть программу</source>
        <translation>Close the program</translation>
    </message>
    <message>
        <source>Смотреть все записи</source>
        <translation>View all records</translation>
    </message>
    <message>
        <source>Смотреть архив</source>
        <translation>View the archive</translation>
    </message>
    <message>
        <source>Смотреть только отмеченные</source>
        <translation>View marked records only</translation>
    </message>
    <message>
        <source>Ручная запись</source>
        <translation>Manual recording</translation>
    </message>
    <message>
        <source>ФИЛЬТР: Ручная запись</source>
        <translation>FILTER: Manual recording</translation>
    </message>
    <message>
        <source>Запись по движению</source>
        <translation>Recording by motion</translation>
    </message>
    <message>
        <source>ФИЛЬТР: Запись по движению</source>
        <translation>FILTER: Recording by motion</translation>
    </message>
    <message>
        <source>Запись от внешнего датчика</source>
        <translation>Recording by external sensor</translation>
    </message>
    <message>
        <source>ФИЛЬТР: Запись от внешнего датчика</source>
        <translation>FILTER: Recording by external sensor</translation>
    </message>
    <message>
        <source>Запись по таймеру</source>
        <translation>Recording by timer</translation>
    </message>
    <message>
        <source>ФИЛЬТР: Запись по таймеру</source>
        <translation>FILTER: Recording by timer</translation>
    </message>
    <message>
        <source>Запись по звуку</source>
        <translation>Recording by sound</translation>
    </message>
    <message>
        <source>ФИЛЬТР: Запись по звуку</source>
        <translation>FILTER: Recording by sound</translation>
    </message>
    <message>
        <source>Карта</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Отображать карту</source>
        <translation>Show the map</translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Журнал КОРАКСа</source>
        <translation>KORAX journal</translation>
    </message>
    <message>
        <source>Смотреть основные фотографии</source>
        <translation>View the main photos</translation>
    </message>
    <message>
        <source>Камера 1</source>
        <translation>Camera 1</translation>
    </message>
    <message>
        <source>Камера 2</source>
        <translation>Camera 2</translation>
    </message>
    <message>
        <source>Применить фильтр по типу записи</source>
        <translation>Filter by recording kind</translation>
    </message>
    <message>
        <source>Сохранить образ карты…</source>
        <translation>Save card image…</translation>
    </message>
    <message>
        <source>Сохранить всю карту памяти в файл образа с контрольными суммами</source>
        <translation>Save the whole memory card to an image file with checksums</translation>
    </message>
    <message>
        <source>Список записей в CSV…</source>
        <translation>Record list as CSV…</translation>
    </message>
    <message>
        <source>Сохранить список показанных записей в CSV файл</source>
        <translation>Save the list of the records shown to a CSV file</translation>
    </message>
    <message>
        <source>Контрольные суммы к файлам</source>
        <translation>Checksums beside files</translation>
    </message>
    <message>
        <source>Записывать рядом с каждым сохранённым файлом его контрольную сумму SHA-256 (.sha256)</source>
        <translation>Write the SHA-256 checksum (.sha256) beside every saved file</translation>
    </message>
    <message>
        <source>Сохранить образ карты</source>
        <translation>Save card image</translation>
    </message>
    <message>
        <source>Образы карт памяти (*.img);;Все файлы (*)</source>
        <translation>Memory card images (*.img);;All files (*)</translation>
    </message>
    <message>
        <source>Сохранение образа карты</source>
        <translation>Saving the card image</translation>
    </message>
    <message>
        <source>Чтение всей карты памяти в файл образа</source>
        <translation>Reading the whole memory card into the image file</translation>
    </message>
    <message>
        <source>Образ карты сохранён: %s</source>
        <translation>Card image saved: %s</translation>
    </message>
    <message>
        <source>Сохранить список записей</source>
        <translation>Save record list</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Список записей сохранён: %s</source>
        <translation>Record list saved: %s</translation>
    </message>
    <message>
        <source>Введите название файла видеоархива</source>
        <translation>Enter the name of the video archive file</translation>
    </message>
    <message>
        <source>Сохранение видео фрагмента</source>
        <translation>Saving the video fragment</translation>
    </message>
    <message>
        <source>Файлы видео (*.avi)</source>
        <translation>Video files (*.avi)</translation>
    </message>
    <message>
        <source>Введите название фото</source>
        <translation>Enter the name of the photo</translation>
    </message>
    <message>
        <source>Файлы фотографий (*.bmp)</source>
        <translation>Photo files (*.bmp)</translation>
    </message>
    <message>
        <source>Выберите файл видеоархива</source>
        <translation>Choose the video archive file</translation>
    </message>
    <message>
        <source>Открыть образ карты</source>
        <translation>Open card image</translation>
    </message>
    <message>
        <source>Образы карт памяти (*.img *.dd *.raw *.bin *.iso);;Все файлы (*)</source>
        <translation>Memory card images (*.img *.dd *.raw *.bin *.iso);;All files (*)</translation>
    </message>
    <message>
        <source>Фото сохранено: %s</source>
        <translation>Photo saved: %s</translation>
    </message>
    <message>
        <source>Язык</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Язык программы, со следующего запуска</source>
        <translation>The program&apos;s language, from the next start</translation>
    </message>
    <message>
        <source>Как в системе</source>
        <translation>As in the system</translation>
    </message>
    <message>
        <source>Русский</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>Английский</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Язык программы изменится при следующем запуске.</source>
        <translation>The program&apos;s language changes at the next start.</translation>
    </message>
    <message>
        <source>Сохранение фрагмента в MP4</source>
        <translation>Saving the fragment as MP4</translation>
    </message>
    <message>
        <source>Данные с каких камер сохранять?</source>
        <translation>Save the data of which cameras?</translation>
    </message>
    <message>
        <source>Обе камеры</source>
        <translation>Both cameras</translation>
    </message>
    <message>
        <source>Рядом</source>
        <translation>Side by side</translation>
    </message>
    <message>
        <source>Одна над другой</source>
        <translation>One above the other</translation>
    </message>
    <message>
        <source>Окно в окне</source>
        <translation>Picture in picture</translation>
    </message>
    <message>
        <source>Кроме даты и времени на кадре:</source>
        <translation>On the frame besides the date and time:</translation>
    </message>
    <message>
        <source>скорость</source>
        <translation>speed</translation>
    </message>
    <message>
        <source>входное напряжение</source>
        <translation>input voltage</translation>
    </message>
    <message>
        <source>Делить на файлы по</source>
        <translation>Split into files of</translation>
    </message>
    <message>
        <source> МБ</source>
        <translation> MB</translation>
    </message>
    <message>
        <source>Сохранение видео фрагмента в MP4</source>
        <translation>Saving the video fragment as MP4</translation>
    </message>
    <message>
        <source>Файлы MP4 (*.mp4)</source>
        <translation>MP4 files (*.mp4)</translation>
    </message>
    <message>
        <source>Сохранение MP4</source>
        <translation>Saving MP4</translation>
    </message>
    <message>
        <source>Сохранение видео фрагмента в MP4 файл</source>
        <translation>Saving the video fragment to an MP4 file</translation>
    </message>
    <message>
        <source>Возникла ошибка при записи MP4 файла!<byte value="xd"/>%s</source>
        <translation>An error occurred while writing the MP4 file!<byte value="xd"/>%s</translation>
    </message>
    <message>
        <source>Видео сохранено: %s (%d кадров, %.1f с)</source>
        <translation>Video saved: %s (%d frames, %.1f s)</translation>
    </message>
    <message>
        <source>Закрыть KORAX CARD VIEWER</source>
        <translation>Close KORAX CARD VIEWER</translation>
    </message>
    <message>
        <source>Маршрут</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Телеметрия</source>
        <translation>Telemetry</translation>
    </message>
    <message>
        <source>Маршрут на карте</source>
        <translation>Route on the map</translation>
    </message>
    <message>
        <source>Графики телеметрии</source>
        <translation>Telemetry graphs</translation>
    </message>
    <message>
        <source>Сохранить маршрут в KML…</source>
        <translation>Save the route as KML…</translation>
    </message>
    <message>
        <source>Сохранить телеметрию в CSV…</source>
        <translation>Save the telemetry as CSV…</translation>
    </message>
    <message>
        <source> Маршрут: %d%%</source>
        <translation> Route: %d%%</translation>
    </message>
    <message>
        <source>Телеметрия карты ещё собирается, повторите позже.</source>
        <translation>The card&apos;s telemetry is still being built, try again later.</translation>
    </message>
    <message>
        <source>Маршрут сохранен: %1 (точек: %2)</source>
        <translation>Route saved: %1 (points: %2)</translation>
    </message>
    <message>
        <source>Ошибка чтения файла!</source>
        <translation>Error reading the file!</translation>
    </message>
    <message>
        <source>Отчёт о фрагменте (PDF)…</source>
        <translation>Fragment report (PDF)…</translation>
    </message>
    <message>
        <source>Сохранить отчёт о выделенном фрагменте в PDF файл</source>
        <translation>Save a report of the marked fragment as a PDF file</translation>
    </message>
    <message>
        <source>Сохранить отчёт о фрагменте</source>
        <translation>Save the fragment report</translation>
    </message>
    <message>
        <source>Файлы PDF (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>Отчёт о фрагменте</source>
        <translation>Fragment report</translation>
    </message>
    <message>
        <source>Составление отчёта о фрагменте в PDF файл</source>
        <translation>Writing the fragment report to a PDF file</translation>
    </message>
    <message>
        <source>Отчёт сохранён: %s (страниц: %d)</source>
        <translation>Report saved: %s (pages: %d)</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>Нет доступа к карте памяти %s!<byte value="xd"/>Добавьте пользователя в группу &quot;%s&quot; и войдите в систему снова.</source>
        <translation>No access to the memory card %s!<byte value="xd"/>Add the user to the group &quot;%s&quot; and log in again.</translation>
    </message>
    <message>
        <source>Нет доступа к карте памяти %s!<byte value="xd"/>Чтобы открыть её, нажмите &quot;Карта SD&quot; и ответьте на запрос пароля.</source>
        <translation>No access to the memory card %s!<byte value="xd"/>To open it, press &quot;SD card&quot; and answer the password prompt.</translation>
    </message>
    <message>
        <source>Не могу сохранить в открытый файл!</source>
        <translation>Cannot save into an open file!</translation>
    </message>
    <message>
        <source>Не могу сохранить в папку!</source>
        <translation>Cannot save into a folder!</translation>
    </message>
    <message>
        <source>Не могу сохранить: это не обычный файл!</source>
        <translation>Cannot save: this is not a regular file!</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Отчёт составлен %s (UTC).</source>
        <translation>Report made %s (UTC).</translation>
    </message>
    <message>
        <source>Отчёт о фрагменте</source>
        <translation>Fragment report</translation>
    </message>
    <message>
        <source>Составление отчёта о фрагменте в PDF файл</source>
        <translation>Writing the fragment report to a PDF file</translation>
    </message>
    <message>
        <source>Возникла ошибка при записи отчёта!</source>
        <translation>The report could not be written!</translation>
    </message>
    <message>
        <source>Отчёт о фрагменте записей</source>
        <translation>Report on a fragment of records</translation>
    </message>
    <message>
        <source>Источник</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Фрагмент</source>
        <translation>Fragment</translation>
    </message>
    <message>
        <source>Часы регистратора и время GPS</source>
        <translation>The recorder clock and GPS time</translation>
    </message>
    <message>
        <source>События журнала во фрагменте</source>
        <translation>Journal events in the fragment</translation>
    </message>
    <message>
        <source>Кадры фрагмента</source>
        <translation>Pictures of the fragment</translation>
    </message>
    <message>
        <source>Время записей и событий указано по часам регистратора.</source>
        <translation>Times of records and events are given by the recorder&apos;s clock.</translation>
    </message>
    <message>
        <source>Источник: карта памяти в устройстве %s.</source>
        <translation>Source: the memory card in device %s.</translation>
    </message>
    <message>
        <source>Источник: образ карты памяти %s.</source>
        <translation>Source: the memory card image %s.</translation>
    </message>
    <message>
        <source>Источник: файл видеоархива %s.</source>
        <translation>Source: the video archive file %s.</translation>
    </message>
    <message>
        <source>Размер источника: %s байт.</source>
        <translation>Source size: %s bytes.</translation>
    </message>
    <message>
        <source>Формат карты памяти: %d.</source>
        <translation>Memory card format: %d.</translation>
    </message>
    <message>
        <source>без названия</source>
        <translation>unnamed</translation>
    </message>
    <message>
        <source>Устройство: %s, серийный номер не сообщается.</source>
        <translation>Device: %s, serial number not reported.</translation>
    </message>
    <message>
        <source>Устройство: %s, серийный номер %s.</source>
        <translation>Device: %s, serial number %s.</translation>
    </message>
    <message>
        <source>Рядом с образом нет записанных при его снятии контрольных сумм.</source>
        <translation>No checksums recorded when the image was made lie beside it.</translation>
    </message>
    <message>
        <source>Образ снят с устройства %s.</source>
        <translation>The image was made from device %s.</translation>
    </message>
    <message>
        <source>Чтение карты при снятии образа: с %s по %s (UTC).</source>
        <translation>The card was read for the image from %s to %s (UTC).</translation>
    </message>
    <message>
        <source>SHA-256 образа при его снятии: %s.</source>
        <translation>SHA-256 of the image when it was made: %s.</translation>
    </message>
    <message>
        <source>MD5 образа при его снятии: %s.</source>
        <translation>MD5 of the image when it was made: %s.</translation>
    </message>
    <message>
        <source>Архив сохранён с карты памяти %s; ниже SHA-256 её служебных областей на момент сохранения.</source>
        <translation>The archive was saved from memory card %s; below are the SHA-256 of its system areas at the time of saving.</translation>
    </message>
    <message>
        <source>SHA-256 служебных областей карты памяти на момент отчёта:</source>
        <translation>SHA-256 of the memory card&apos;s system areas at the time of the report:</translation>
    </message>
    <message>
        <source>загрузочный сектор: %s;</source>
        <translation>boot sector: %s;</translation>
    </message>
    <message>
        <source>таблицы состояния: %s;</source>
        <translation>state tables: %s;</translation>
    </message>
    <message>
        <source>каталог записей: %s.</source>
        <translation>record catalogue: %s.</translation>
    </message>
    <message>
        <source>Сведений о карте памяти, с которой сохранён архив, рядом с ним нет.</source>
        <translation>No record of the memory card the archive was saved from lies beside it.</translation>
    </message>
    <message>
        <source>Начало фрагмента: %s.</source>
        <translation>Fragment start: %s.</translation>
    </message>
    <message>
        <source>Конец фрагмента: %s.</source>
        <translation>Fragment end: %s.</translation>
    </message>
    <message>
        <source>Записей во фрагменте: %d (камера 1: %d, камера 2: %d).</source>
        <translation>Records in the fragment: %d (camera 1: %d, camera 2: %d).</translation>
    </message>
    <message>
        <source>Вид записи</source>
        <translation>Record kind</translation>
    </message>
    <message>
        <source>Камера 1</source>
        <translation>Camera 1</translation>
    </message>
    <message>
        <source>Камера 2</source>
        <translation>Camera 2</translation>
    </message>
    <message>
        <source>Всего</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Во фрагменте нет секунд со временем GPS: расхождение часов регистратора с временем GPS не определено.</source>
        <translation>The fragment has no seconds with GPS time: the difference between the recorder clock and GPS time is unknown.</translation>
    </message>
    <message>
        <source>Часы регистратора совпадают с временем GPS (медиана по %d с фрагмента со временем GPS).</source>
        <translation>The recorder clock agrees with GPS time (median over the fragment&apos;s %d s with GPS time).</translation>
    </message>
    <message>
        <source>Часы регистратора спешат относительно времени GPS на %s с (медиана по %d с фрагмента со временем GPS).</source>
        <translation>The recorder clock is %s s ahead of GPS time (median over the fragment&apos;s %d s with GPS time).</translation>
    </message>
    <message>
        <source>Часы регистратора отстают от времени GPS на %s с (медиана по %d с фрагмента со временем GPS).</source>
        <translation>The recorder clock is %s s behind GPS time (median over the fragment&apos;s %d s with GPS time).</translation>
    </message>
    <message>
        <source>Разница «регистратор минус GPS»: межквартильный размах %s с, от %s до %s с.</source>
        <translation>Difference “recorder minus GPS”: interquartile range %s s, from %s to %s s.</translation>
    </message>
    <message>
        <source>Время GPS взято из даты и времени сообщений RMC (UTC) и сравнено с отметкой времени записи той же секунды; часовой пояс часов регистратора входит в разницу.</source>
        <translation>GPS time is taken from the date and time of the RMC sentences (UTC) and compared with the time stamp of the record of the same second; the time zone of the recorder clock is part of the difference.</translation>
    </message>
    <message>
        <source>У этого источника нет журнала событий.</source>
        <translation>This source has no event journal.</translation>
    </message>
    <message>
        <source>Журнал событий не прочитан: %s.</source>
        <translation>The event journal was not read: %s.</translation>
    </message>
    <message>
        <source>Регистратор по журналу: %s.</source>
        <translation>Recorder according to the journal: %s.</translation>
    </message>
    <message>
        <source>В журнале регистратора нет событий за время фрагмента.</source>
        <translation>The recorder&apos;s journal has no events during the fragment.</translation>
    </message>
    <message>
        <source>Событий журнала за время фрагмента: %d.</source>
        <translation>Journal events during the fragment: %d.</translation>
    </message>
    <message>
        <source>Кадров: %d — первая запись каждой минуты фрагмента (%d) и запись к каждому событию журнала (%d). Кадров после них, не вошедших в отчёт: %d.</source>
        <translation>Pictures: %d — the first record of each minute of the fragment (%d) and a record for each journal event (%d). Pictures beyond them left out of the report: %d.</translation>
    </message>
    <message>
        <source>Кадров: %d — первая запись каждой минуты фрагмента (%d) и запись к каждому событию журнала (%d).</source>
        <translation>Pictures: %d — the first record of each minute of the fragment (%d) and a record for each journal event (%d).</translation>
    </message>
    <message>
        <source>%s, камера %d
Событие %s: %s</source>
        <translation>%s, camera %d
Event %s: %s</translation>
    </message>
    <message>
        <source>%s, камера %d</source>
        <translation>%s, camera %d</translation>
    </message>
    <message>
        <source>Страница %d из %d. Отчёт составлен %s (UTC) программой QUOVIL.</source>
        <translation>Page %d of %d. Report made %s (UTC) by QUOVIL.</translation>
    </message>
</context>
<context>
    <name>Viewer</name>
    <message>
        <source>Выбор даты</source>
        <translation>Choose a date</translation>
    </message>
    <message>
        <source>Выберите день для начала просмотра, ESC - выход</source>
        <translation>Choose the day to start viewing, ESC - close</translation>
    </message>
    <message>
        <source>Кликни для выбора даты</source>
        <translation>Click to choose a date</translation>
    </message>
    <message>
        <source>Авто просмотр вперед</source>
        <translation>Play forward</translation>
    </message>
    <message>
        <source>Остановить просмотр</source>
        <translation>Stop playing</translation>
    </message>
    <message>
        <source>Уменьшить скорость авто просмотра</source>
        <translation>Play slower</translation>
    </message>
    <message>
        <source>Увеличить скорость авто просмотра</source>
        <translation>Play faster</translation>
    </message>
    <message>
        <source>Перейти к началу фрагмента</source>
        <translation>Go to the start of the fragment</translation>
    </message>
    <message>
        <source>Перейти к окончанию фрагмента</source>
        <translation>Go to the end of the fragment</translation>
    </message>
    <message>
        <source>← →  предыдущая / следующая запись (колесо мыши)
Home / End  первая / последняя запись
PgUp / PgDn  предыдущая / следующая минута с записями камеры
Пробел  просмотр / остановка
Tab  поменять камеры местами
Ctrl+1…4  вид окон
Esc  настройка параметров</source>
        <translation>← →  previous / next record (mouse wheel)
Home / End  first / last record
PgUp / PgDn  previous / next minute with the camera&apos;s records
Space  play / stop
Tab  swap the cameras
Ctrl+1…4  window layout
Esc  settings</translation>
    </message>
    <message>
        <source>Вид окон</source>
        <translation>Window layout</translation>
    </message>
    <message>
        <source>Вид и расположение окон вывода видео</source>
        <translation>Layout of the video windows</translation>
    </message>
    <message>
        <source>Одно окно</source>
        <translation>One window</translation>
    </message>
    <message>
        <source>Два горизонтально</source>
        <translation>Two side by side</translation>
    </message>
    <message>
        <source>Два вертикально</source>
        <translation>Two one above the other</translation>
    </message>
    <message>
        <source>Окно в окне</source>
        <translation>Picture in picture</translation>
    </message>
    <message>
        <source>Поменять местами</source>
        <translation>Swap</translation>
    </message>
    <message>
        <source>Настройка параметров</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Отображать панель с настройками камер</source>
        <translation>Show the panel with the camera settings</translation>
    </message>
    <message>
        <source> км/ч</source>
        <translation> km/h</translation>
    </message>
    <message>
        <source>Uвх = %4.1fВ</source>
        <translation>Uin = %4.1fV</translation>
    </message>
    <message>
        <source>Не задано начало или конец фрагмента!</source>
        <translation>The start or end of the fragment is not set!</translation>
    </message>
    <message>
        <source>Отмеченный фрагмент не содежит<byte value="xd"/>данные для выбранной камеры!</source>
        <translation>The marked fragment holds no<byte value="xd"/>data for the chosen camera!</translation>
    </message>
    <message>
        <source>Карта памяти пуста!</source>
        <translation>The memory card is empty!</translation>
    </message>
    <message>
        <source>Нет данных, соответствующих заданному фильтру!</source>
        <translation>No data match the filter!</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Датчики</source>
        <translation>Sensors</translation>
    </message>
    <message>
        <source>Яркость</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>Контрастность</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Громкость</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Ярк.</source>
        <translation>Bri.</translation>
    </message>
    <message>
        <source>Контр.</source>
        <translation>Con.</translation>
    </message>
    <message>
        <source>Uвх</source>
        <translation>Uin</translation>
    </message>
    <message>
        <source>Uакб</source>
        <translation>Ubat</translation>
    </message>
    <message>
        <source>ОШИБКА! Библиотека BASS.DLL неправильной версии.</source>
        <translation>ERROR! The BASS.DLL library has the wrong version.</translation>
    </message>
    <message>
        <source>Не могу проинициализировать драйвер звука!</source>
        <translation>Cannot initialise the sound driver!</translation>
    </message>
    <message>
        <source>Проблема создания звукового потока!</source>
        <translation>Problem creating the sound stream!</translation>
    </message>
    <message>
        <source>нет данных</source>
        <translation>no data</translation>
    </message>
    <message>
        <source>%d кадров</source>
        <translation>%d frames</translation>
    </message>
    <message>
        <source>не задан</source>
        <translation>not set</translation>
    </message>
    <message>
        <source> Размер: %s</source>
        <translation> Size: %s</translation>
    </message>
    <message>
        <source> Сжатие: %.2f</source>
        <translation> Compression: %.2f</translation>
    </message>
    <message>
        <source> Качество: %s</source>
        <translation> Quality: %s</translation>
    </message>
    <message>
        <source> Записано: %s</source>
        <translation> Recorded: %s</translation>
    </message>
    <message>
        <source> Фрагмент: %s</source>
        <translation> Fragment: %s</translation>
    </message>
    <message>
        <source>Шкала времени - кликни для быстрого перехода</source>
        <translation>Time scale - click to jump</translation>
    </message>
    <message>
        <source>Возникла ошибка при очистки карты.</source>
        <translation>An error occurred while clearing the card.</translation>
    </message>
    <message>
        <source>Карта памяти отсутствует!</source>
        <translation>No memory card!</translation>
    </message>
    <message>
        <source>Ошибка открытия файла!</source>
        <translation>Error opening the file!</translation>
    </message>
    <message>
        <source>Ошибка чтения файла!</source>
        <translation>Error reading the file!</translation>
    </message>
    <message>
        <source>Не открыт файл видеоархива!</source>
        <translation>No video archive file open!</translation>
    </message>
    <message>
        <source>Файл не является образом карты памяти!</source>
        <translation>The file is not a memory card image!</translation>
    </message>
    <message>
        <source> Обнаружена карта памяти</source>
        <translation> Memory card found</translation>
    </message>
    <message>
        <source>%s %s - Карта SD</source>
        <translation>%s %s - SD card</translation>
    </message>
    <message>
        <source>%s %s - Образ карты %s</source>
        <translation>%s %s - Card image %s</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите удалить<byte value="xd"/>все фотографии из архива?</source>
        <translation>Are you sure you want to delete<byte value="xd"/>all photos of the archive?</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите удалить<byte value="xd"/>все содержимое с карты памяти?</source>
        <translation>Are you sure you want to delete<byte value="xd"/>everything on the memory card?</translation>
    </message>
    <message>
        <source>Открыт образ карты %s, а не сама карта памяти.<byte value="xd"/>Изменить файл образа?</source>
        <translation>The card image %s is open, not the memory card itself.<byte value="xd"/>Change the image file?</translation>
    </message>
    <message>
        <source>Карта памяти очищена успешно!</source>
        <translation>The memory card was cleared successfully!</translation>
    </message>
</context>
</TS>
