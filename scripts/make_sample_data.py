#!/usr/bin/env python3
"""Makes a sample world/scenario package folder and an older game folder.

The package folder is what Install reads from (the folder the utility is started
in); the game folder holds an older data set with other contents and partly other
names, so that an Install deletes and replaces files, plus a Default folder with a
default data set. File contents are seeded random bytes, so nothing compresses and
no file is sparse; the same arguments and seed always give the same bytes.

    scripts/make_sample_data.py --preset small build/demo   # 80 files / 4 MB, for trying the program
    scripts/make_sample_data.py build/data                   # 650 files / 90 MB ("typical")
    scripts/make_sample_data.py --preset large build/large   # 700 files / 500 MB
    scripts/make_sample_data.py --preset many build/many     # typical, with 10,000 files in each data folder
    scripts/make_sample_data.py --files 300 --size-mb 40 --seed 7 build/other

Writes OUT/package and OUT/game and prints both. A second run with the same
arguments leaves existing folders alone (see --force).
"""

import argparse
import json
import os
import random
import shutil
import sys

GENERATOR_VERSION = 1
MB = 1024 * 1024
KB = 1024

# (files, MB) of each preset.
PRESETS = {"small": (80, 4), "typical": (650, 90), "large": (700, 500), "many": (650, 90)}
# Files in each of nationDATA and pastDATA, for presets that set them on their own.
PRESET_DATA_FILES = {"many": 10000}

# Sizes the typical package was measured against; media sizes scale down below it.
REFERENCE_SIZE_MB = 90

# Files the transfer carries by fixed name (apart from the jpg images below).
FIXED_DATA_FILES = [
    "habatuzu.dat", "BALANCE.DAT", "touroku.dat", "zelomp3.txt", "SWAIT.DAT",
    "taizin_riyuu.txt", "namedata.dat", "PersonalName.dat", "zeloworld.dat",
    "sansyo.dat", "totinamedata.dat", "FrontBack.dat", "keireki.txt", "MAINDATA.DAT",
    "RANDidx.dat", "Sison.dat", "taizin_log.txt", "TaizinDead.dat", "syo_list.dat",
    "TaizinNow.dat", "testmap.dat", "yazirusi.dat", "SmallMap.bmp", "MAPDATA.dat",
]
FIXED_IMAGES = ["back4.jpg", "back5.jpg", "back6.jpg", "back7.jpg", "mainbutai2.jpg", "parameita.jpg"]

# Sizes in bytes (low, high) of the fixed-name files that are not small.
FIXED_SIZES = {
    "MAINDATA.DAT": (1200 * KB, 2000 * KB),
    "SmallMap.bmp": (240 * KB, 320 * KB),
    "MAPDATA.dat": (150 * KB, 260 * KB),
    "BALANCE.DAT": (40 * KB, 90 * KB),
    "namedata.dat": (30 * KB, 60 * KB),
    "PersonalName.dat": (20 * KB, 50 * KB),
    "totinamedata.dat": (20 * KB, 50 * KB),
}
DEFAULT_FIXED_SIZE = (1 * KB, 24 * KB)

KANJI = ("年月日国王城軍兵将臣民村町山川海島北南東西戦乱和平盟約滅亡建国即位退位"
         "表示ソ能予申十五六七八九百千万天地風火水雷光影龍虎鳳凰剣槍弓馬")
PEOPLE = ["ゼロ", "アルス", "ミレーユ", "ガラム", "セシル", "トーマ", "リシェル", "バルド"]


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description="Makes a sample package folder and an older game folder for the Torvanel installer.")
    parser.add_argument("out", help="folder to write package/ and game/ into")
    parser.add_argument("--preset", choices=sorted(PRESETS), default="typical",
                        help="small: 80 files / 4 MB (a demo); typical: 650 files / 90 MB (the default); "
                             "large: 700 files / 500 MB; many: typical with 10,000 files in each data folder")
    parser.add_argument("--small", action="store_true", help="the same as --preset small")
    parser.add_argument("--files", type=int, help="target number of files in the package (overrides the preset)")
    parser.add_argument("--size-mb", type=float, help="target size of the package in MB (overrides the preset)")
    parser.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    parser.add_argument("--kosei-gap", type=int, default=7,
                        help="number missing from the kosei01..kosei20 series (default 7, 0 for none)")
    parser.add_argument("--kosei00", action="store_true", help="also make kosei00.dat")
    parser.add_argument("--write-path-data", action="store_true",
                        help="write PathDATA.txt into the package, naming the game folder as Wine's Z: drive sees it")
    parser.add_argument("--force", action="store_true", help="remake the folders even when they are up to date")
    args = parser.parse_args(argv)
    if args.small:
        args.preset = "small"
    preset_files, preset_size = PRESETS[args.preset]
    if args.files is None:
        args.files = preset_files
    if args.size_mb is None:
        args.size_mb = preset_size
    args.data_files = PRESET_DATA_FILES.get(args.preset)
    if args.files < 60:
        parser.error("--files must be at least 60 (the fixed files alone are about that many)")
    if args.size_mb <= 0:
        parser.error("--size-mb must be positive")
    if not 0 <= args.kosei_gap <= 20:
        parser.error("--kosei-gap must be between 0 and 20")
    return args


class Writer:
    """Writes files under one root, each from its own seeded stream."""

    def __init__(self, root, seed, role):
        self.root = root
        self.seed = seed
        self.role = role
        self.count = 0
        self.bytes = 0

    def rng_for(self, relative):
        # A string seed is hashed with SHA-512: stable across runs and Python versions.
        return random.Random(f"{self.seed}:{self.role}:{relative}")

    def write(self, relative, data):
        path = os.path.join(self.root, *relative.split("\\"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        self.count += 1
        self.bytes += len(data)

    def binary(self, relative, size, header=b""):
        rng = self.rng_for(relative)
        size = max(size, len(header) + 1)
        self.write(relative, header + rng.randbytes(size - len(header)))

    def text(self, relative, lines):
        self.write(relative, "".join(line + "\r\n" for line in lines).encode("cp932"))


# The first bytes of each kind of file, so the samples look like what they are named.
MEDIA_HEADERS = {
    ".mp3": b"ID3\x03\x00\x00\x00\x00\x00\x00",
    ".jpg": b"\xff\xd8\xff\xe0\x00\x10JFIF\x00",
    ".gif": b"GIF89a",
    ".wav": b"RIFF\x00\x00\x00\x00WAVEfmt ",
    ".bmp": b"BM",
    ".exe": b"MZ\x90\x00",
}


def media_header(name):
    dot = name.rfind(".")
    return MEDIA_HEADERS.get(name[dot:].lower(), b"") if dot >= 0 else b""


def random_japanese_line(rng, length):
    return "".join(rng.choice(KANJI) for _ in range(length))


class DataSetShape:
    """Names and sizes of one data set, drawn from the target file count and size."""

    def __init__(self, files, size_mb, rng, kosei_numbers, chronology_count, name_shift, data_files=None):
        scale = min(1.0, size_mb / REFERENCE_SIZE_MB)
        self.kosei_numbers = kosei_numbers
        self.chronology_count = chronology_count
        listed = max(4, round(files * 0.04))
        self.listed_jpg = [f"back{8 + i}.jpg" for i in range(listed // 3)]
        self.listed_gif = [f"face{i + 1:02d}.gif" for i in range(listed // 3)]
        self.listed_gif_in_folder = [f"face\\chara{i + 1:02d}.gif" for i in range(max(1, listed // 6))]
        others = max(1, listed - len(self.listed_jpg) - len(self.listed_gif) - len(self.listed_gif_in_folder) - 1)
        self.listed_other = [f"event{i + 1:02d}.dat" for i in range(others)] + ["setumei.txt"]
        wav_count = max(2, round(files * 0.03))
        jpg_count = max(2, round(files * 0.03))
        self.wavs = [f"se{i + 1 + name_shift:02d}.wav" for i in range(wav_count)]
        self.jpgs = [f"event{i + 1 + name_shift:02d}.jpg" for i in range(jpg_count)]
        self.sizes = {}

        def size(low, high):
            return int(rng.uniform(low, high))

        for name in FIXED_DATA_FILES:
            low, high = FIXED_SIZES.get(name, DEFAULT_FIXED_SIZE)
            self.sizes[name] = size(low, high)
        for name in FIXED_IMAGES + self.listed_jpg + self.jpgs:
            self.sizes[name] = size(80 * KB * scale, 400 * KB * scale)
        for name in self.listed_gif + self.listed_gif_in_folder:
            self.sizes[name] = size(5 * KB, 40 * KB)
        for name in self.listed_other:
            self.sizes[name] = size(2 * KB, 30 * KB)
        for name in self.wavs:
            self.sizes[name] = size(100 * KB * scale, 800 * KB * scale)
        for number in kosei_numbers:
            self.sizes[f"kosei{number:02d}.dat"] = size(20 * KB, 80 * KB)

        fixed_count = (len(FIXED_DATA_FILES) + len(FIXED_IMAGES) + len(kosei_numbers) + chronology_count + 1
                       + len(self.listed_jpg) + len(self.listed_gif) + len(self.listed_gif_in_folder)
                       + len(self.listed_other) + wav_count + jpg_count)
        # Music takes what is left of the size; about 5 MB a song, as games ship them.
        used = sum(self.sizes.values())
        small_average = 9 * KB
        remaining = size_mb * MB - used - max(0, files - fixed_count) * small_average
        song = 5 * MB if remaining >= 5 * MB else max(256 * KB, remaining)
        mp3_count = max(1, round(max(remaining, song) / song))
        weights = [rng.uniform(0.6, 1.4) for _ in range(mp3_count)]
        self.mp3s = [f"bgm{i + 1 + name_shift:02d}.mp3" for i in range(mp3_count)]
        for name, weight in zip(self.mp3s, weights):
            self.sizes[name] = int(max(remaining, song) * weight / sum(weights))

        small_files = max(2, files - fixed_count - mp3_count)
        self.nation_count = small_files // 2
        self.past_count = small_files - self.nation_count
        if data_files:
            self.nation_count = self.past_count = data_files


def small_file_names(prefix, folder, count, old):
    """Names in a data folder; the older set shares about nine in ten of them."""
    shared = count - count // 10
    numbers = list(range(1, shared + 1))
    numbers += [count + 1 + i for i in range(count - shared)] if old else list(range(shared + 1, count + 1))
    names = []
    for n in numbers:
        # Some names are Japanese, as players' packages have them.
        if n % 12 == 0:
            names.append(f"{folder}\\{prefix}_勢力{n:03d}.dat")
        else:
            names.append(f"{folder}\\{prefix}{n:03d}.dat")
    return names


def write_world_file(writer, shape, title):
    rng = writer.rng_for("zeloworld.dat")
    lines = [f'"{title}",1.{rng.randrange(10, 99)}', "作者:トルヴァネル制作室", "年代:①～⑳,―∥－＼"]
    images = list(shape.listed_jpg)
    gifs = shape.listed_gif + shape.listed_gif_in_folder
    for i in range(max(len(images), len(gifs))):
        fields = []
        if i < len(images):
            fields.append(f"背景: {images[i]}")
        if i < len(gifs):
            # An ideographic space after the colon is dropped like a plain one.
            fields.append(f"画像:\u3000{gifs[i]}" if i % 3 == 2 else f"画像:{gifs[i]}")
        fields.append(f"人物:{rng.choice(PEOPLE)}")
        lines.append(",".join(fields))
    for name in shape.listed_other:
        lines.append(f"資料:{name}")
    # Fields the transfer ignores: no colon, other endings, a full-width colon.
    lines.append("表示ソフト予約,12,34")
    lines.append("地図：worldmap.jpg")
    lines.append(f"音楽:{shape.mp3s[0]}")
    writer.text("zeloworld.dat", lines)


def write_data_set(writer, shape, old, with_music, title):
    """One data set: the package's (old=False) or an older/default one (old=True)."""
    for name in small_file_names("kuni", "nationDATA", shape.nation_count, old):
        writer.binary(name, int(writer.rng_for(name).uniform(2 * KB, 16 * KB)))
    for name in small_file_names("past", "pastDATA", shape.past_count, old):
        writer.binary(name, int(writer.rng_for(name).uniform(2 * KB, 16 * KB)))
    for number in shape.kosei_numbers:
        name = f"kosei{number:02d}.dat"
        writer.binary(name, shape.sizes[name])
    for number in range(1, shape.chronology_count + 1):
        rng = writer.rng_for(f"年表{number}.txt")
        writer.text(f"年表{number}.txt",
                    [f"{rng.randrange(100, 999)}年 {random_japanese_line(rng, 24)}" for _ in range(rng.randrange(40, 160))])
    for name in FIXED_DATA_FILES:
        if name == "zeloworld.dat":
            write_world_file(writer, shape, title)
        elif name == "zelomp3.txt":
            writer.text(name, [f"{mp3},{random_japanese_line(writer.rng_for(mp3), 6)}" for mp3 in shape.mp3s])
        elif name.endswith(".txt"):
            rng = writer.rng_for(name)
            writer.text(name, [random_japanese_line(rng, 30) for _ in range(max(1, shape.sizes[name] // 64))])
        else:
            writer.binary(name, shape.sizes[name], media_header(name))
    for name in (FIXED_IMAGES + shape.listed_jpg + shape.jpgs + shape.listed_gif + shape.listed_gif_in_folder
                 + shape.listed_other + shape.wavs):
        writer.binary(name, shape.sizes[name], media_header(name))
    if with_music:
        for name in shape.mp3s:
            writer.binary(name, shape.sizes[name], media_header(name))


def kosei_numbers(gap, with_zero, last=20):
    return [n for n in range(0 if with_zero else 1, last + 1) if n != gap]


def make(args, package, game):
    rng = random.Random(f"{args.seed}:shapes")
    new_shape = DataSetShape(args.files, args.size_mb, rng, kosei_numbers(args.kosei_gap, args.kosei00), 5, 0,
                             args.data_files)
    # The older set: fewer scenarios, more chronology files, some media under other names.
    # The Default set keeps its usual size: the benchmark leaves it out.
    old_shape = DataSetShape(args.files, args.size_mb, rng, kosei_numbers(0, False, last=12), 7, 2, args.data_files)
    default_shape = DataSetShape(args.files, args.size_mb, rng, kosei_numbers(0, False, last=10), 3, 0)

    package_writer = Writer(package, args.seed, "package")
    write_data_set(package_writer, new_shape, old=False, with_music=True, title="ゼロワールド～新大陸編～")
    rng = package_writer.rng_for("readme")
    package_writer.text("はじめにお読み下さい.txt", [random_japanese_line(rng, 40) for _ in range(30)])

    game_writer = Writer(game, args.seed, "game")
    game_writer.binary("TorvaGame.exe", 1800 * KB, media_header(".exe"))
    write_data_set(game_writer, old_shape, old=True, with_music=True, title="ゼロワールド")
    os.makedirs(os.path.join(game, "face"), exist_ok=True)
    default_writer = Writer(os.path.join(game, "Default"), args.seed, "default")
    write_data_set(default_writer, default_shape, old=True, with_music=False, title="標準ワールド")

    if args.write_path_data:
        windows_game = "Z:" + os.path.abspath(game).replace("/", "\\")
        with open(os.path.join(package, "PathDATA.txt"), "wb") as f:
            f.write(windows_game.encode("cp932") + b"\r\n")
    return package_writer, game_writer, default_writer


def main(argv):
    args = parse_arguments(argv)
    out = os.path.abspath(args.out)
    package = os.path.join(out, "package")
    game = os.path.join(out, "game")
    marker_path = os.path.join(out, "sample-data.json")
    settings = {"version": GENERATOR_VERSION, "files": args.files, "size_mb": args.size_mb, "seed": args.seed,
                "kosei_gap": args.kosei_gap, "kosei00": args.kosei00, "write_path_data": args.write_path_data}
    if args.data_files:  # only then, so that folders made before it was an option stay up to date
        settings["data_files"] = args.data_files

    marker = None
    if os.path.exists(marker_path):
        with open(marker_path, encoding="utf-8") as f:
            marker = json.load(f)
    if marker is not None and marker.get("settings") == settings and not args.force:
        print(f"package folder: {package}  (up to date: {marker['package_files']} files, "
              f"{marker['package_bytes'] / MB:.1f} MB)")
        print(f"game folder:    {game}")
        return 0
    for folder in (package, game):
        if os.path.exists(folder):
            if marker is None:
                sys.exit(f"{folder} exists but was not made by this script; remove it or choose another folder")
            shutil.rmtree(folder)
    if os.path.exists(marker_path):
        os.remove(marker_path)

    package_writer, game_writer, default_writer = make(args, package, game)
    with open(marker_path, "w", encoding="utf-8") as f:
        json.dump({"settings": settings, "package_files": package_writer.count,
                   "package_bytes": package_writer.bytes}, f, indent=1)
    print(f"package folder: {package}  ({package_writer.count} files, {package_writer.bytes / MB:.1f} MB)")
    print(f"game folder:    {game}  ({game_writer.count + default_writer.count} files, "
          f"{(game_writer.bytes + default_writer.bytes) / MB:.1f} MB, Default included)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
