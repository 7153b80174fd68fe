// The report's viewer in headless Chromium with the network cut off: a clusters report of a
// small synthetic map, its slices drawn, every label it shows at a peak or a click checked against
// `vantrel-atlas point`, and the tables' numbers each on one line.
"use strict";

const assert = require("node:assert/strict");
const { execFileSync } = require("node:child_process");
const fs = require("node:fs");
const path = require("node:path");

// node viewer_test.cjs VANTREL_ATLAS DATA_DIR WORK_DIR NODE_MODULES CHROMIUM VIEWER_FILES MAP_WRITER
const [program, dataDir, workDir, nodeModules, chromium, viewerFiles, mapWriter] =
  process.argv.slice(2);
const kSkip = 77;

function skip(reason) {
  console.log(`SKIPPED: ${reason}`);
  process.exit(kSkip);
}

// The balls viewer_test_map draws on its 2 mm map, one of each sign.
const kBalls = [
  { centre: [-38, -22, 56], sign: 1 },
  { centre: [40, 20, 0], sign: -1 },
];

// Every atlas's label at a point as `vantrel-atlas point` gives it, "none" where it has none.
function pointLabels(mni) {
  const lines = execFileSync(program, ["point", "--data", dataDir, "--format", "json", ...mni.map(String)])
    .toString().trim().split("\n");
  const record = JSON.parse(lines[lines.length - 1]);
  return Object.fromEntries(record.labels.map((l) => [l.atlas, l.label ?? "none"]));
}

// The viewer's crosshair, in MNI mm, and the label each atlas gives there.
async function viewerReading(page) {
  const { mni, labels } = await page.evaluate(() => ({
    mni: document.querySelector("#viewer .viewer-mni").textContent,
    labels: Object.fromEntries([...document.querySelectorAll("#viewer .viewer-labels tbody tr")]
      .map((row) => [row.dataset.atlas, row.querySelector(".viewer-label").textContent])),
  }));
  return { mni: mni.replace(/\u2212/g, "-").match(/-?[\d.]+/g).map(Number), labels };
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
  for (const [file, reason] of [
    [path.join(nodeModules, "puppeteer-core", "package.json"), "puppeteer-core is not installed (scripts/setup runs npm ci)"],
    [path.join(viewerFiles, "niivue.js"), `NiiVue is not in ${viewerFiles}: configure again after npm ci`],
    [path.join(dataDir, "ch2.nii.gz"), `the atlases are not in ${dataDir}`],
  ]) {
    if (!fs.existsSync(file)) skip(reason);
  }
  const puppeteer = require(path.join(nodeModules, "puppeteer-core"));
  fs.rmSync(workDir, { recursive: true, force: true });
  fs.mkdirSync(workDir, { recursive: true });
  const map = path.join(workDir, "map.nii.gz");
  execFileSync(mapWriter, [map]);
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

    // Each peak row, then a click on the slices, moves the crosshair; the viewer then shows what
    // `vantrel-atlas point` answers there.
    const peakRows = await page.$$("#peaks tr[data-mni-x]");
    assert.equal(peakRows.length >= kBalls.length, true, "the peaks table has too few rows");
    for (const row of peakRows) {
      await row.evaluate((tr) => tr.cells[1].click());
      const shown = await viewerReading(page);
      const mni = await row.evaluate((tr) => [tr.dataset.mniX, tr.dataset.mniY, tr.dataset.mniZ].map(Number));
      assert.deepEqual(shown.mni, mni, "the crosshair did not move to the peak");
      assert.deepEqual(shown.labels, pointLabels(shown.mni));
    }

    const box = await canvas.boundingBox();
    await page.mouse.click(box.x + box.width * 0.12, box.y + box.height * 0.45);
    const clicked = await viewerReading(page);
    assert.notDeepEqual(clicked.mni, kBalls[kBalls.length - 1].centre, "the click did not move the crosshair");
    assert.ok(Object.values(clicked.labels).some((label) => label !== "none"), "the click hit no label");
    assert.deepEqual(clicked.labels, pointLabels(clicked.mni));
  } finally {
    await browser.close();
  }
  assert.deepEqual(faults, []);
  console.log("viewer: slices drawn, peak rows and a click agree with the command line");
}

main().catch((error) => {
  console.error(error.stack ?? String(error));
  process.exit(1);
});
