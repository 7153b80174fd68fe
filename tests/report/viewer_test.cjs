// The report's viewer in headless Chromium with the network cut off: a clusters report of a
// small synthetic map, its slices drawn, every label it shows checked against the tables and
// against `vantrel-atlas point`, and the tables' numbers each on one line.
"use strict";

const assert = require("node:assert/strict");
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");
const zlib = require("node:zlib");

// node viewer_test.cjs VANTREL_ATLAS DATA_DIR WORK_DIR NODE_MODULES CHROMIUM VIEWER_FILES
const [program, dataDir, workDir, nodeModules, chromium, viewerFiles] = process.argv.slice(2);
const kSkip = 77;

function skip(reason) {
  console.log(`SKIPPED: ${reason}`);
  process.exit(kSkip);
}

// A 2 mm float32 map on the MNI grid the atlases share, with one ball of each sign.
const kBalls = [
  { centre: [-38, -22, 56], sign: 1 },
  { centre: [40, 20, 0], sign: -1 },
];

function syntheticMap(file) {
  const dims = [91, 109, 91];
  const header = Buffer.alloc(352);
  header.writeInt32LE(348, 0);
  [3, ...dims, 1, 1, 1, 1].forEach((d, i) => header.writeInt16LE(d, 40 + 2 * i));
  header.writeInt16LE(16, 70);
  header.writeInt16LE(32, 72);
  [1, 2, 2, 2].forEach((p, i) => header.writeFloatLE(p, 76 + 4 * i));
  header.writeFloatLE(352, 108);
  header.writeInt16LE(4, 254);
  const srow = [[-2, 0, 0, 90], [0, 2, 0, -126], [0, 0, 2, -72]];
  srow.flat().forEach((v, i) => header.writeFloatLE(v, 280 + 4 * i));
  header.write("n+1\0", 344, "latin1");
  const values = new Float32Array(dims[0] * dims[1] * dims[2]);
  for (let z = 0; z < dims[2]; z++) {
    for (let y = 0; y < dims[1]; y++) {
      for (let x = 0; x < dims[0]; x++) {
        const mni = [90 - 2 * x, -126 + 2 * y, -72 + 2 * z];
        for (const { centre, sign } of kBalls) {
          const distance = Math.hypot(...mni.map((c, i) => c - centre[i]));
          if (distance <= 8) {
            values[x + dims[0] * (y + dims[1] * z)] = sign * (6 - distance / 4);
          }
        }
      }
    }
  }
  fs.writeFileSync(file, zlib.gzipSync(Buffer.concat([header, Buffer.from(values.buffer)])));
}

// Every atlas's label at a point as `vantrel-atlas point` gives it, "none" where it has none.
function pointLabels(mni) {
  const lines = execFileSync(program, ["point", "--data", dataDir, "--format", "json", ...mni.map(String)])
    .toString().trim().split("\n");
  const record = JSON.parse(lines[lines.length - 1]);
  return Object.fromEntries(record.labels.map((l) => [l.atlas, l.label ?? "none"]));
}

async function viewerReading(page) {
  return page.evaluate(() => ({
    mni: document.querySelector("#viewer .viewer-mni").textContent,
    labels: Object.fromEntries([...document.querySelectorAll("#viewer .viewer-labels tbody tr")]
      .map((row) => [row.dataset.atlas, row.querySelector(".viewer-label").textContent])),
  }));
}

function mniOfText(text) {
  return text.replace(/\u2212/g, "-").match(/-?[\d.]+/g).map(Number);
}

// The screenshot is decoded by the page itself, which has the PNG decoder at hand.
async function distinctColours(page, png) {
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = `data:image/png;base64,${data}`;
    await image.decode();
    const canvas = document.createElement("canvas");
    [canvas.width, canvas.height] = [image.width, image.height];
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const pixels = new Uint32Array(context.getImageData(0, 0, image.width, image.height).data.buffer);
    return new Set(pixels).size;
  }, png.toString("base64"));
}

// A row's labels, read from the cells under the atlases' key columns; a cell that gives only
// the nearest label says the point itself has none.
async function tableLabels(row, keys) {
  return row.evaluate((tr, atlasKeys) => {
    const header = [...tr.closest("table").querySelectorAll("thead th")].map((th) => th.textContent);
    const label = (text) => (text.startsWith("none") ? "none" : text);
    return Object.fromEntries(atlasKeys.map((key) => [key, label(tr.cells[header.indexOf(key)].textContent)]));
  }, keys);
}

// The numbers of the clusters and peaks tables that the layout broke over more than one line.
async function brokenNumbers(page) {
  return page.evaluate(() => {
    const lines = (cell) => {
      const tops = new Set();
      const range = document.createRange();
      const walker = document.createTreeWalker(cell, NodeFilter.SHOW_TEXT);
      for (let node = walker.nextNode(); node; node = walker.nextNode()) {
        range.selectNodeContents(node);
        for (const rect of range.getClientRects()) tops.add(Math.round(rect.top));
      }
      return tops.size;
    };
    const cells = [...document.querySelectorAll("#clusters td.number, #peaks td.number")];
    return { cells: cells.length, broken: cells.filter((td) => lines(td) > 1).map((td) => td.textContent) };
  });
}

async function main() {
  let puppeteer;
  try {
    puppeteer = require(path.join(nodeModules, "puppeteer-core"));
  } catch {
    skip("puppeteer-core is not installed (scripts/setup runs npm ci)");
  }
  if (!fs.existsSync(path.join(viewerFiles, "niivue.js"))) {
    skip(`NiiVue is not in ${viewerFiles}: configure again after npm ci`);
  }
  if (!fs.existsSync(path.join(dataDir, "ch2.nii.gz"))) {
    skip(`the atlases are not in ${dataDir}`);
  }
  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  const map = path.join(workDir, "map.nii.gz");
  syntheticMap(map);
  const report = path.join(workDir, "report");
  execFileSync(program, ["clusters", "--data", dataDir, "--threshold", "3", "--two-sided",
    "--report", report, map], { stdio: ["ignore", "ignore", "inherit"] });

  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader"],
  });
  const faults = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 900 });
    await page.setRequestInterception(true);
    // Files and in-memory data are all a report may load; anything else would be the network.
    page.on("request", (request) => {
      if (/^(file|data|blob):/.test(request.url())) {
        request.continue();
      } else {
        faults.push(`network request: ${request.url().slice(0, 200)}`);
        request.abort();
      }
    });
    page.on("console", (message) => {
      if (message.type() === "error") faults.push(`console error: ${message.text()}`);
    });
    page.on("pageerror", (error) => faults.push(`page error: ${error.message}`));
    await page.goto(`file://${path.join(report, "index.html")}`);
    await page.waitForFunction(() => document.querySelector("#viewer .viewer-mni")?.textContent,
      { timeout: 180000 });

    // In a narrow window too the numbers stay whole: the tables scroll sideways instead.
    await page.setViewport({ width: 640, height: 900 });
    const numbers = await brokenNumbers(page);
    assert.ok(numbers.cells >= 8 * kBalls.length, "the tables mark too few numbers");
    assert.deepEqual(numbers.broken, [], "numbers broken over lines");
    await page.setViewport({ width: 1200, height: 900 });

    const canvas = await page.$("#viewer canvas");
    assert.ok(await distinctColours(page, await canvas.screenshot()) > 50, "the slices are blank");

    const keys = Object.keys((await viewerReading(page)).labels);
    const peakRows = await page.$$("#peaks tr[data-mni-x]");
    assert.equal(peakRows.length >= kBalls.length, true, "the peaks table has too few rows");
    for (const row of peakRows) {
      await row.evaluate((tr) => tr.cells[1].click());
      const shown = await viewerReading(page);
      const mni = await row.evaluate((tr) => [tr.dataset.mniX, tr.dataset.mniY, tr.dataset.mniZ].map(Number));
      assert.deepEqual(mniOfText(shown.mni), mni, "the crosshair did not move to the peak");
      assert.deepEqual(shown.labels, await tableLabels(row, keys));
    }

    const box = await canvas.boundingBox();
    await page.mouse.click(box.x + box.width * 0.12, box.y + box.height * 0.45);
    const clicked = await viewerReading(page);
    const mni = mniOfText(clicked.mni);
    assert.notDeepEqual(mni, kBalls[kBalls.length - 1].centre, "the click did not move the crosshair");
    assert.ok(Object.values(clicked.labels).some((label) => label !== "none"), "the click hit no label");
    assert.deepEqual(clicked.labels, pointLabels(mni));
  } finally {
    await browser.close();
  }
  assert.deepEqual(faults, []);
  console.log("viewer: slices drawn, peak rows and a click agree with the tables and the command line");
}

main().catch((error) => {
  console.error(error.stack ?? String(error));
  process.exit(1);
});
