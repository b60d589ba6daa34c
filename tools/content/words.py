"""The word list and the picture each word gets.

Words are grouped the way the levels draw from the list, so the position of
a word matters: the game picks each level's words from a fixed range of
line numbers (first 24 lines: three letters; next 22: three or four; next 16:
four or five; next 52: six to ten; last 16: anything up to ten).

Every picture is one Noto emoji unless `SCENES` says otherwise. Each pairing
was checked by eye: a child must name the picture with this word and no
other. Rejected along the way: ЛЫЖИ (the emoji is a boot on a ski), ДЫНЯ
(green netted melon, not the yellow one children know), КУРИЦА (the head
reads as an eagle), ЯХТА (children say "кораблик"), ЧАЙ (the cup reads as
coffee), ПЁС and КРОЛИК (duplicates of СОБАКА and ЗАЯЦ), МАТРЁШКА (the emoji
is an opened doll).
"""

GROUPS = [
    # (first letter count, last letter count, words)
    (3, 3, [
        ("КОТ", "🐱"), ("ДОМ", "🏠"), ("СЫР", "🧀"), ("ЖУК", "🪲"),
        ("КИТ", "🐳"), ("ЛУК", "🧅"), ("МЯЧ", "⚽"), ("СОК", "🧃"),
        ("ЛЕВ", "🦁"), ("НОС", "👃"), ("УХО", "👂"), ("ЗУБ", "🦷"),
        ("МЁД", "🍯"), ("СУП", "🍲"), ("ЛЁД", "🧊"), ("ШАР", "🎈"),
        ("БЫК", "🐂"), ("ФЕЯ", "🧚"), ("РАК", "🦞"), ("ЛЕС", None),
        ("РИС", "🍚"), ("НОЖ", "🔪"), ("ЩИТ", "🛡"), ("РОТ", "👄"),
    ]),
    (3, 4, [
        ("СЛОН", "🐘"), ("ВОЛК", "🐺"), ("ЛИСА", "🦊"), ("СОВА", "🦉"),
        ("УТКА", "🦆"), ("КОЗА", "🐐"), ("ОВЦА", "🐑"), ("ЗАЯЦ", "🐇"),
        ("ТИГР", "🐯"), ("КРАБ", "🦀"), ("РЫБА", "🐟"), ("ЗМЕЯ", "🐍"),
        ("МЫШЬ", "🐭"), ("ПАУК", "🕷"), ("ГУСЬ", "🪿"), ("ТОРТ", "🎂"),
        ("ГРИБ", "🍄"), ("ХЛЕБ", "🍞"), ("РОЗА", "🌹"), ("ЁЛКА", "🎄"),
        ("ЛУНА", "🌙"), ("ЗОНТ", "☂"),
    ]),
    (4, 5, [
        ("КЛЮЧ", "🔑"), ("ОЧКИ", "👓"), ("СТУЛ", "🪑"), ("ОКНО", "🪟"),
        ("БАНТ", "🎀"), ("ЧАСЫ", "⌚"), ("ЛОСЬ", "🫎"), ("ЕНОТ", "🦝"),
        ("ПОЕЗД", "🚂"), ("ЖИРАФ", "🦒"), ("ЗЕБРА", "🦓"), ("ПАНДА", "🐼"),
        ("ГРУША", "🍐"), ("БАНАН", "🍌"), ("АРБУЗ", "🍉"), ("ЛИМОН", "🍋"),
    ]),
    (6, 10, [
        ("СОБАКА", "🐶"), ("КОРОВА", "🐄"), ("СВИНЬЯ", "🐷"), ("ЛОШАДЬ", "🐎"),
        ("МЕДВЕДЬ", "🐻"), ("ОБЕЗЬЯНА", "🐒"), ("НОСОРОГ", "🦏"), ("БЕГЕМОТ", "🦛"),
        ("ВЕРБЛЮД", "🐫"), ("КЕНГУРУ", "🦘"), ("КРОКОДИЛ", "🐊"), ("ЧЕРЕПАХА", "🐢"),
        ("ЛЯГУШКА", "🐸"), ("ПИНГВИН", "🐧"), ("ПОПУГАЙ", "🦜"), ("ФЛАМИНГО", "🦩"),
        ("ДЕЛЬФИН", "🐬"), ("ОСЬМИНОГ", "🐙"), ("УЛИТКА", "🐌"), ("БАБОЧКА", "🦋"),
        ("МУРАВЕЙ", "🐜"), ("ГУСЕНИЦА", "🐛"), ("ЕДИНОРОГ", "🦄"), ("ДИНОЗАВР", "🦕"),
        ("ЦЫПЛЁНОК", "🐤"), ("ЯБЛОКО", "🍎"), ("ВИНОГРАД", "🍇"), ("КЛУБНИКА", "🍓"),
        ("АНАНАС", "🍍"), ("МОРКОВЬ", "🥕"), ("ПОМИДОР", "🍅"), ("ОГУРЕЦ", "🥒"),
        ("КУКУРУЗА", "🌽"), ("МОРОЖЕНОЕ", "🍦"), ("КОНФЕТА", "🍬"), ("ПЕЧЕНЬЕ", "🍪"),
        ("МАШИНА", "🚗"), ("АВТОБУС", "🚌"), ("САМОЛЁТ", "✈"), ("ВЕРТОЛЁТ", "🚁"),
        ("РАКЕТА", "🚀"), ("КОРАБЛЬ", "🚢"), ("ВЕЛОСИПЕД", "🚲"), ("ТРАКТОР", "🚜"),
        ("СОЛНЦЕ", "☀"), ("РАДУГА", "🌈"), ("СНЕГОВИК", "☃"), ("КАКТУС", "🌵"),
        ("ПОДСОЛНУХ", "🌻"), ("КОРОНА", "👑"), ("ПОДАРОК", "🎁"), ("БАРАБАН", "🥁"),
    ]),
    (2, 10, [
        ("ЁЖ", "🦔"), ("ПЧЕЛА", "🐝"), ("АКУЛА", "🦈"), ("ПЕТУХ", "🐓"),
        ("ЯЙЦО", "🥚"), ("ПИЦЦА", "🍕"), ("ЗВЕЗДА", "⭐"), ("ОБЛАКО", "☁"),
        ("ГИТАРА", "🎸"), ("ЧАЙНИК", "🫖"), ("МАГНИТ", "🧲"), ("МОЛОТОК", "🔨"),
        ("НОЖНИЦЫ", "✂"), ("ТЕЛЕФОН", "☎"), ("КАРАНДАШ", "✏"), ("БУДИЛЬНИК", "⏰"),
    ]),
]

# Pictures made of several emoji: (emoji, centre x, centre y, box size) on
# the 200 x 200 canvas, drawn back to front. One tree would read as ЁЛКА.
SCENES = {
    "ЛЕС": [
        ("🌲", 48, 92, 100), ("🌲", 152, 92, 100),
        ("🌳", 100, 108, 120), ("🌲", 40, 140, 90), ("🌲", 160, 140, 90),
    ],
}

# A cloud or a forest on a pink backdrop looks wrong; they get the sky.
BACKDROP_HUE = {"ОБЛАКО": 0.57, "ЛЕС": 0.57}

ALPHABET = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"


def all_words():
    return [w for _, _, group in GROUPS for w in group]

# Each letter, its name as the alphabet is taught in Russian kindergartens,
# and what espeak-ng is given to say it, in alphabet order (Ё seventh): what
# the game says when a tile is picked up. Read as text, espeak-ng clips a name
# of one syllable to a murmur (and "и" to a conjunction of 40 ms), so those are
# spelled in its phonemes with the vowel held (":").
LETTER_NAMES = [
    ("А", "а", "[['a:]]"), ("Б", "бэ", "[[b'E:]]"), ("В", "вэ", "[[v'E:]]"),
    ("Г", "гэ", "[[g'E:]]"), ("Д", "дэ", "[[d'E:]]"), ("Е", "е", "[[j'e:]]"),
    ("Ё", "ё", "[[j'8:]]"), ("Ж", "жэ", "[[Z'E:]]"), ("З", "зэ", "[[z'E:]]"),
    ("И", "и", "[['i:]]"), ("Й", "и краткое", "и краткое"), ("К", "ка", "[[k'A:]]"),
    ("Л", "эль", "[['E:l;]]"), ("М", "эм", "[['E:m]]"), ("Н", "эн", "[['E:n]]"),
    ("О", "о", "[['o:]]"), ("П", "пэ", "[[p'E:]]"), ("Р", "эр", "[['E:r]]"),
    ("С", "эс", "[['E:s]]"), ("Т", "тэ", "[[t'E:]]"), ("У", "у", "[['u:]]"),
    ("Ф", "эф", "[['E:f]]"), ("Х", "ха", "[[x'A:]]"), ("Ц", "цэ", "[[ts'E:]]"),
    ("Ч", "че", "[[tS;'e:]]"), ("Ш", "ша", "[[S'A:]]"), ("Щ", "ща", "[[S;'A:]]"),
    ("Ъ", "твёрдый знак", "твёрдый знак"), ("Ы", "ы", "[['y:]]"),
    ("Ь", "мягкий знак", "мягкий знак"), ("Э", "э", "[['E:]]"), ("Ю", "ю", "[['ju:]]"),
    ("Я", "я", "[['ja:]]"),
]

# What espeak-ng is given for a word where the word in lower case is read
# wrongly: the stress marked or the phonemes spelled out. Every word of the list
# was checked with `espeak-ng -v ru -x`: all are stressed where Russian stresses
# them and ё is read as ё, so none needs it yet.
SPOKEN = {}
