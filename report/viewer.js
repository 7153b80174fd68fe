// The report's interactive viewer: NiiVue over the Colin brain with the results and the first
// atlas, and every chosen atlas's label at the crosshair, read from volumes the page carries.
"use strict";

window.vantrelViewer = (() => {
  const volumeTexts = new Map();
  let config = null;

  // Volume scripts are decoded as x-user-defined, which turns every byte into one UTF-16 unit
  // whose low eight bits are that byte. Scripts load from file:// where fetch() may not, and
  // the compressed bytes cost about 1.6% more than themselves instead of base64's third.
  function bytesOf(text) {
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; i++) {
      bytes[i] = text.charCodeAt(i) & 0xff;
    }
    return bytes;
  }

  function hasWebGL2() {
    try {
      return Boolean(document.createElement("canvas").getContext("webgl2"));
    } catch {
      return false;
    }
  }

  function loadImage(file, options) {
    const text = volumeTexts.get(file);
    if (text === undefined) {
      throw new Error(`the viewer's volume ${file} did not load`);
    }
    volumeTexts.delete(file);
    return niivue.NVImage.loadFromUrl({ url: bytesOf(text), name: file, ...options });
  }

  function applyAffine(affine, point) {
    return affine.map((row) => row[0] * point[0] + row[1] * point[1] + row[2] * point[2] + row[3]);
  }

  // The same voxel the command line reads: nearest centre, halves rounding up.
  function valueAt(image, worldToVoxel, mni) {
    const voxel = applyAffine(worldToVoxel, mni).map((c) => Math.floor(c + 0.5));
    const [nx, ny, nz] = image.hdr.dims.slice(1, 4);
    const inside = voxel.every((c, axis) => c >= 0 && c < [nx, ny, nz][axis]);
    return inside ? image.img[voxel[0] + nx * (voxel[1] + ny * voxel[2])] : 0;
  }

  // Spread hues by the golden angle so that neighbouring label values look different.
  function labelColours(labels) {
    const lut = { R: [], G: [], B: [], A: [], I: [], labels: [] };
    for (const [value, name] of Object.entries(labels)) {
      const hue = (Number(value) * 0.618034) % 1;
      const channel = (shift) => {
        const k = (shift + hue * 6) % 6;
        return Math.round(255 * (1 - 0.75 * Math.max(0, Math.min(k, 4 - k, 1))));
      };
      lut.I.push(Number(value));
      lut.R.push(channel(5));
      lut.G.push(channel(3));
      lut.B.push(channel(1));
      lut.A.push(255);
      lut.labels.push(name);
    }
    return lut;
  }

  function affine4(affine) {
    return [...affine.map((row) => [...row]), [0, 0, 0, 1]];
  }

  // A ball at every point of a table, on a 1 mm grid of its own along the MNI axes.
  async function markerImage(points) {
    const radius = 3;
    const low = [0, 1, 2].map((axis) => Math.floor(Math.min(...points.map((p) => p[axis]))) - radius);
    const dims = [0, 1, 2].map((axis) => Math.ceil(Math.max(...points.map((p) => p[axis]))) + radius - low[axis] + 1);
    const [nx, ny] = dims;
    const voxels = new Uint8Array(dims[0] * dims[1] * dims[2]);
    for (const point of points) {
      const [cx, cy, cz] = point.map((c, axis) => Math.round(c - low[axis]));
      for (let z = cz - radius; z <= cz + radius; z++) {
        for (let y = cy - radius; y <= cy + radius; y++) {
          for (let x = cx - radius; x <= cx + radius; x++) {
            if ((x - cx) ** 2 + (y - cy) ** 2 + (z - cz) ** 2 <= radius * radius) {
              voxels[x + nx * (y + ny * z)] = 1;
            }
          }
        }
      }
    }
    const affine = [1, 0, 0, low[0], 0, 1, 0, low[1], 0, 0, 1, low[2], 0, 0, 0, 1];
    const nifti = niivue.NVImage.createNiftiArray(dims, [1, 1, 1], affine, 2, voxels);
    const image = await niivue.NVImage.loadFromUrl({ url: nifti, name: "points.nii", colormap: "red" });
    image.cal_min = 0.5;
    image.cal_max = 1;
    return image;
  }

  function formatMm(value) {
    return String(Math.round(value * 100) / 100).replace("-", "\u2212");
  }

  function showLocation(section, atlases, mni) {
    section.querySelector(".viewer-mni").textContent = `MNI ${mni.map(formatMm).join(", ")} mm`;
    for (const { atlas, image, row } of atlases) {
      const name = atlas.labels[valueAt(image, atlas.worldToVoxel, mni)];
      const cell = row.querySelector(".viewer-label");
      cell.textContent = name ?? "none";
      cell.classList.toggle("viewer-none", name === undefined);
    }
  }

  // Crosshair positions come back through floating point; a voxel centre at x = 1 must not
  // read as 0.9999999 and round into the neighbouring 2 mm voxel.
  function crosshairMni(nv) {
    return Array.from(nv.frac2mm(nv.scene.crosshairPos)).slice(0, 3).map((c) => Math.round(c * 1e4) / 1e4);
  }

  function labelRows(section, atlases) {
    const body = section.querySelector(".viewer-labels tbody");
    return atlases.map((atlas) => {
      const row = body.insertRow();
      row.dataset.atlas = atlas.key;
      row.insertCell().textContent = atlas.key;
      row.insertCell().className = "viewer-label";
      return row;
    });
  }

  function rowsWithCoordinates() {
    return document.querySelectorAll("tr[data-mni-x]");
  }

  function mniOfRow(row) {
    return [row.dataset.mniX, row.dataset.mniY, row.dataset.mniZ].map(Number);
  }

  async function start(section) {
    const nv = new niivue.Niivue({
      backColor: [0, 0, 0, 1],
      crosshairColor: [0.1, 1, 0.1, 1],
      isForceMouseClickToVoxelCenters: true,
      multiplanarShowRender: niivue.SHOW_RENDER.NEVER,
      multiplanarLayout: niivue.MULTIPLANAR_TYPE.ROW,
      isColorbar: false,
      loadingText: "",
    });
    await nv.attachToCanvas(section.querySelector("canvas"));
    const background = await loadImage(config.background, { colormap: "gray" });
    const atlases = [];
    for (const atlas of config.atlases) {
      const image = await loadImage(atlas.volume, { colormap: "gray", opacity: 0.4 });
      image.setAffine(affine4(atlas.voxelToWorld));
      atlases.push({ atlas, image });
    }
    atlases[0].image.setColormapLabel(labelColours(config.atlases[0].labels));
    const layers = [background, atlases[0].image];
    if (config.overlay) {
      const overlay = await loadImage(config.overlay.volume, { colormap: "warm", colormapNegative: "winter" });
      overlay.cal_min = config.overlay.threshold;
      overlay.cal_max = config.overlay.max;
      layers.push(overlay);
    }
    if (config.points.length > 0) {
      layers.push(await markerImage(config.points));
    }
    // The other atlases stay off the GPU: they are read, never drawn. Setting the layers at
    // once reslices each of them once, where adding them one by one reslices all before.
    nv.volumes = layers;
    nv.setVolume(background, 0);
    nv.setSliceType(niivue.SLICE_TYPE.MULTIPLANAR);
    const atlasRows = labelRows(section, config.atlases);
    atlases.forEach((entry, i) => { entry.row = atlasRows[i]; });
    const update = () => showLocation(section, atlases, crosshairMni(nv));
    nv.onLocationChange = update;
    const moveTo = (mni) => {
      nv.scene.crosshairPos = nv.mm2frac(mni);
      nv.drawScene();
      update();
    };
    const rows = rowsWithCoordinates();
    for (const row of rows) {
      row.addEventListener("click", () => {
        moveTo(mniOfRow(row));
        section.scrollIntoView({ block: "nearest" });
      });
      row.classList.add("viewer-target");
    }
    if (rows.length > 0) {
      moveTo(mniOfRow(rows[0]));
    } else {
      update();
    }
  }

  function run() {
    const section = document.getElementById("viewer");
    if (!section || !config) {
      return;
    }
    if (typeof niivue === "undefined" || !hasWebGL2()) {
      section.querySelector(".viewer-body").replaceChildren();
      section.querySelector(".viewer-note").hidden = false;
      return;
    }
    start(section).catch((error) => {
      console.error(`viewer: ${error.message}`);
    });
  }

  window.addEventListener("load", run);
  return {
    configure(data) {
      config = data;
    },
    volume(file, text) {
      volumeTexts.set(file, text);
    },
  };
})();
